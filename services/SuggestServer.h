#pragma once

#include <boost/json.hpp>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "net/URLRequest.h"
#include "platform/Image.h"
#include "services/OfficeFailure.h"

namespace busdesk {

class SuggestList;

// Stateless; a missing identifier is left out of the request rather than sent empty.
class SuggestServer {
  public:
    static void getSuggestsWithEmpID(const std::optional<std::string>& empID,
                                     std::function<void(std::shared_ptr<SuggestList>)> success,
                                     std::function<void()> fail);
    // Keys Empid, Content, ParentID, pType. success receives the answer text as sent (quotes kept).
    static void PostSubmitTextWithPar(boost::json::object params, std::function<void(std::string)> success,
                                      std::function<void()> fail);
    // The same with request headers of its own (an idempotency key), telling `fail` what went wrong.
    static void PostSubmitTextWithPar(boost::json::object params, const HTTPHeaders& headers,
                                      std::function<void(std::string)> success,
                                      std::function<void(const OfficeFailure&)> fail);
    // params holds "id"; one JPEG part per image, field name = file name, file name "pic".
    static void PostSubmitImageWithPar(const boost::json::object& params, std::vector<Image> picImageArr,
                                       std::vector<std::string> fileNameArr, std::function<void()> success,
                                       std::function<void()> fail);
    // The same telling `fail` what went wrong; a refusal carries the server's answer. `headers` go
    // with the request (an idempotency key); a value holding a line break or NUL is refused.
    static void PostSubmitImageWithPar(const boost::json::object& params, std::vector<Image> picImageArr,
                                       std::vector<std::string> fileNameArr, std::function<void()> success,
                                       std::function<void(const OfficeFailure&)> fail,
                                       const HTTPHeaders& headers = {});
    // The same with the pictures already encoded as JPEG (one part per entry of `jpegs`), so the
    // encoding can be done away from the main thread.
    using JpegParts = std::vector<std::shared_ptr<const std::string>>;
    static void PostSubmitJpegsWithPar(const boost::json::object& params, JpegParts jpegs,
                                       std::vector<std::string> fileNameArr, std::function<void()> success,
                                       std::function<void(const OfficeFailure&)> fail,
                                       const HTTPHeaders& headers = {});
};

}  // namespace busdesk
