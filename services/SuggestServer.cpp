#include "services/SuggestServer.h"

#include "core/OfficeMethods.h"
#include "core/OfficeParameters.h"
#include "core/PublicMethod.h"
#include "model/SuggestList.h"
#include "platform/Log.h"
#include "services/AnswerDecoders.h"
#include "services/OfficeCall.h"

namespace busdesk {

namespace {

// The record identifier as text: a JSON string as it is, a number as its decimal text.
std::optional<std::string> identifierText(const boost::json::object& params) {
    const auto* id = params.if_contains("id");
    if (!id) return std::nullopt;
    if (id->is_string()) return std::string(id->get_string());
    if (id->is_int64()) return std::to_string(id->get_int64());
    if (id->is_uint64()) return std::to_string(id->get_uint64());
    return std::nullopt;
}

// The identifier becomes a path segment. Digits pass unchanged; anything else is escaped so an
// odd answer ("5/../x", "57 ") cannot reach another address.
std::string pathSegment(const std::string& text) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '-' ||
            c == '.' || c == '_' || c == '~') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 0xF];
        }
    }
    return out;
}

void refuseUpload(const std::string& why, OfficeCall::Failed fail) {
    OfficeCall::refuseLater(OfficeServiceErrorCode::BadUploadInput, why, std::move(fail));
}

}  // namespace

void SuggestServer::getSuggestsWithEmpID(const std::optional<std::string>& empID,
                                         std::function<void(std::shared_ptr<SuggestList>)> success,
                                         std::function<void()> fail) {
    boost::json::object params;
    if (empID) params[OfficeParameter::EmpID] = *empID;
    runQuery(listQuery<&SuggestList::List>(
                 QueryRequest::forSession(OfficeMethod::Query_FeedBackInfoNP, std::move(params))),
             std::move(success), std::move(fail));
}

void SuggestServer::PostSubmitTextWithPar(boost::json::object params,
                                          std::function<void(std::string)> success,
                                          std::function<void()> fail) {
    PostSubmitTextWithPar(std::move(params), {}, std::move(success),
                          OfficeCall::ignoringWhy(std::move(fail)));
}

void SuggestServer::PostSubmitTextWithPar(boost::json::object params, const HTTPHeaders& headers,
                                          std::function<void(std::string)> success,
                                          std::function<void(const OfficeFailure&)> fail) {
    // A GET, although it stores a record: the server reads the fields from the query string.
    OfficeCall::fetchText(
        PublicMethod::addUrlPreWithName(OfficeMethod::FeedBackInfoNP), boost::json::value(std::move(params)),
        "submission answer", true,
        [success = std::move(success)](std::string text) {
            Log::line("1str ID==" + text);
            if (success) success(std::move(text));
        },
        std::move(fail), headers);
}

void SuggestServer::PostSubmitImageWithPar(const boost::json::object& params, std::vector<Image> picImageArr,
                                           std::vector<std::string> fileNameArr,
                                           std::function<void()> success, std::function<void()> fail) {
    PostSubmitImageWithPar(params, std::move(picImageArr), std::move(fileNameArr), std::move(success),
                           OfficeCall::ignoringWhy(std::move(fail)));
}

void SuggestServer::PostSubmitImageWithPar(const boost::json::object& params, std::vector<Image> picImageArr,
                                           std::vector<std::string> fileNameArr,
                                           std::function<void()> success,
                                           std::function<void(const OfficeFailure&)> fail,
                                           const HTTPHeaders& headers) {
    if (auto id = identifierText(params); !id || id->empty())
        return refuseUpload("The upload has no record identifier.", std::move(fail));
    if (picImageArr.size() != fileNameArr.size())
        return refuseUpload("The upload has " + std::to_string(picImageArr.size()) + " images but " +
                                std::to_string(fileNameArr.size()) + " file names.",
                            std::move(fail));
    Log::line("count===" + std::to_string(picImageArr.size()));
    JpegParts parts;
    for (std::size_t i = 0; i < picImageArr.size(); ++i) {
        auto jpeg = std::make_shared<const std::string>(picImageArr[i].jpegData(100));
        if (jpeg->empty())
            return refuseUpload("Image " + std::to_string(i) + " cannot be encoded as JPEG.",
                                std::move(fail));
        parts.push_back(std::move(jpeg));
    }
    PostSubmitJpegsWithPar(params, std::move(parts), std::move(fileNameArr), std::move(success),
                           std::move(fail), headers);
}

void SuggestServer::PostSubmitJpegsWithPar(const boost::json::object& params, JpegParts jpegs,
                                           std::vector<std::string> fileNameArr,
                                           std::function<void()> success,
                                           std::function<void(const OfficeFailure&)> fail,
                                           const HTTPHeaders& headers) {
    auto id = identifierText(params);
    if (!id || id->empty()) return refuseUpload("The upload has no record identifier.", std::move(fail));
    if (jpegs.size() != fileNameArr.size())
        return refuseUpload("The upload has " + std::to_string(jpegs.size()) + " images but " +
                                std::to_string(fileNameArr.size()) + " file names.",
                            std::move(fail));
    for (std::size_t i = 0; i < jpegs.size(); ++i) {
        if (!jpegs[i] || jpegs[i]->empty())
            return refuseUpload("Image " + std::to_string(i) + " cannot be encoded as JPEG.",
                                std::move(fail));
        // The size only: the bytes of a photo would bury the console.
        Log::line("_________picdate===" + std::to_string(jpegs[i]->size()) + " bytes");
    }
    auto parts = std::make_shared<JpegParts>(std::move(jpegs));
    const std::string url =
        PublicMethod::addUrlPreWithName(OfficeMethod::UploadPictureFromID) + pathSegment(*id);
    auto names = std::make_shared<std::vector<std::string>>(std::move(fileNameArr));
    auto mgr = OfficeCall::manager(true);
    for (const auto& [name, value] : headers) {
        if ((name + value).find_first_of(std::string("\r\n\0", 3)) != std::string::npos)
            return refuseUpload("The request header " + name + " cannot be sent as it is.", std::move(fail));
        mgr->requestSerializer()->setValue(value, name);
    }
    mgr->POST(
        url, std::nullopt,
        [parts, names](StreamingMultipartFormData& form) {
            for (std::size_t i = 0; i < parts->size(); ++i)
                form.appendPartWithFileData((*parts)[i], (*names)[i], "pic", "application/octet-stream");
        },
        [mgr, id = *id, success = std::move(success), fail](
            const std::shared_ptr<HTTPRequestOperation>& operation, const ResponseObject& answer) {
            Log::line("image JSON: " + OfficeCall::describeBytes(answer.data) + ",iii===" + id);
            auto text = OfficeCall::answerText(operation);
            Log::line("1str ID==" + OfficeCall::describe(text));
            // Exactly "1": a line break or quotes after it do not count.
            if (text && *text == "1") {
                if (success) success();
                return;
            }
            OfficeFailure refused =
                OfficeFailure::from(operation, OfficeCall::makeError(OfficeServiceErrorCode::UploadRefused,
                                                                     "The server did not store the photos."));
            OfficeCall::logFailure(refused.error, nullptr, false);
            refused.answer = text;
            if (fail) fail(refused);
        },
        OfficeCall::failureBlock(mgr, fail, true));
}

}  // namespace busdesk
