#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "net/InputStream.h"
#include "net/MultipartBodyStream.h"
#include "net/URLRequest.h"
#include "platform/Error.h"

namespace busdesk {

// What a multipart body block appends its parts to. Content is referenced, never copied into
// one body buffer.
class StreamingMultipartFormData {
  public:
    StreamingMultipartFormData(URLRequest request, std::string stringEncoding);

    const URLRequest& request() const { return request_; }
    const std::string& boundary() const { return boundary_; }
    const std::string& stringEncoding() const { return stringEncoding_; }
    const std::shared_ptr<MultipartBodyStream>& bodyStream() const { return bodyStream_; }

    // File name and MIME type from the path; fails when the path is not a readable regular file.
    bool appendPartWithFileURL(const std::string& path, const std::string& name, Error* error = nullptr);
    bool appendPartWithFileURL(const std::string& path, const std::string& name, const std::string& fileName,
                               const std::string& mimeType, Error* error = nullptr);
    void appendPartWithInputStream(std::shared_ptr<InputStream> inputStream, const std::string& name,
                                   const std::string& fileName, std::int64_t length,
                                   const std::string& mimeType);
    void appendPartWithFileData(std::string data, const std::string& name, const std::string& fileName,
                                const std::string& mimeType);
    void appendPartWithFileData(std::shared_ptr<const std::string> data, const std::string& name,
                                const std::string& fileName, const std::string& mimeType);
    void appendPartWithFormData(std::string data, const std::string& name);
    void appendPartWithHeaders(std::map<std::string, std::string> headers, std::string body);
    void appendPartWithHeaders(std::map<std::string, std::string> headers,
                               std::shared_ptr<const std::string> body);
    void throttleBandwidthWithPacketSize(std::int64_t numberOfBytes, double delay);

    // The request with the body stream, Content-Type and Content-Length; unchanged when no part
    // was appended.
    URLRequest requestByFinalizingMultipartFormData();

    static std::string createMultipartFormBoundary();

  private:
    URLRequest request_;
    std::string stringEncoding_;
    std::string boundary_;
    std::shared_ptr<MultipartBodyStream> bodyStream_;
};

}  // namespace busdesk
