#include "net/StreamingMultipartFormData.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <random>

#include "net/QueryStringPair.h"
#include "net/URLError.h"

namespace busdesk {

namespace json = boost::json;

std::string StreamingMultipartFormData::createMultipartFormBoundary() {
    std::random_device random;
    std::uint32_t a = random(), b = random();
    char text[32];
    std::snprintf(text, sizeof text, "Boundary+%08X%08X", a, b);
    return text;
}

StreamingMultipartFormData::StreamingMultipartFormData(URLRequest request, std::string stringEncoding)
    : request_(std::move(request)),
      stringEncoding_(std::move(stringEncoding)),
      boundary_(createMultipartFormBoundary()),
      bodyStream_(std::make_shared<MultipartBodyStream>(stringEncoding_)) {}

namespace {
std::string mimeTypeForPath(const std::string& path) {
    std::string ext =
        path.substr(path.find_last_of('.') == std::string::npos ? path.size() : path.find_last_of('.') + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    static const std::map<std::string, std::string> types = {
        {"jpg", "image/jpeg"},        {"jpeg", "image/jpeg"},     {"png", "image/png"},
        {"gif", "image/gif"},         {"txt", "text/plain"},      {"html", "text/html"},
        {"json", "application/json"}, {"pdf", "application/pdf"}, {"xml", "application/xml"},
        {"zip", "application/zip"}};
    auto it = types.find(ext);
    return it == types.end() ? "application/octet-stream" : it->second;
}

std::map<std::string, std::string> fileHeaders(const std::string& name, const std::string& fileName,
                                               const std::string& mimeType) {
    return {{"Content-Disposition", "form-data; name=\"" + name + "\"; filename=\"" + fileName + "\""},
            {"Content-Type", mimeType}};
}
}  // namespace

bool StreamingMultipartFormData::appendPartWithFileURL(const std::string& path, const std::string& name,
                                                       Error* error) {
    std::string fileName =
        path.substr(path.find_last_of('/') == std::string::npos ? 0 : path.find_last_of('/') + 1);
    return appendPartWithFileURL(path, name, fileName, mimeTypeForPath(path), error);
}

bool StreamingMultipartFormData::appendPartWithFileURL(const std::string& path, const std::string& name,
                                                       const std::string& fileName,
                                                       const std::string& mimeType, Error* error) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        if (error) {
            *error = Error(kRequestSerializationErrorDomain, URLErrorCode::BadURL,
                           "File URL not reachable or not a regular file: " + path);
        }
        return false;
    }
    auto part = std::make_shared<HTTPBodyPart>();
    part->stringEncoding = stringEncoding_;
    part->headers = fileHeaders(name, fileName, mimeType);
    part->boundary = boundary_;
    part->setBodyFile(path);
    part->bodyContentLength = static_cast<std::uint64_t>(info.st_size);
    bodyStream_->appendHTTPBodyPart(std::move(part));
    return true;
}

void StreamingMultipartFormData::appendPartWithInputStream(std::shared_ptr<InputStream> inputStream,
                                                           const std::string& name,
                                                           const std::string& fileName, std::int64_t length,
                                                           const std::string& mimeType) {
    auto part = std::make_shared<HTTPBodyPart>();
    part->stringEncoding = stringEncoding_;
    part->headers = fileHeaders(name, fileName, mimeType);
    part->boundary = boundary_;
    part->setBodyStream(std::move(inputStream));
    part->bodyContentLength = length > 0 ? static_cast<std::uint64_t>(length) : 0;
    bodyStream_->appendHTTPBodyPart(std::move(part));
}

void StreamingMultipartFormData::appendPartWithFileData(std::string data, const std::string& name,
                                                        const std::string& fileName,
                                                        const std::string& mimeType) {
    appendPartWithFileData(std::make_shared<const std::string>(std::move(data)), name, fileName, mimeType);
}

void StreamingMultipartFormData::appendPartWithFileData(std::shared_ptr<const std::string> data,
                                                        const std::string& name, const std::string& fileName,
                                                        const std::string& mimeType) {
    appendPartWithHeaders(fileHeaders(name, fileName, mimeType), std::move(data));
}

void StreamingMultipartFormData::appendPartWithFormData(std::string data, const std::string& name) {
    appendPartWithHeaders({{"Content-Disposition", "form-data; name=\"" + name + "\""}},
                          std::make_shared<const std::string>(std::move(data)));
}

void StreamingMultipartFormData::appendPartWithHeaders(std::map<std::string, std::string> headers,
                                                       std::string body) {
    appendPartWithHeaders(std::move(headers), std::make_shared<const std::string>(std::move(body)));
}

void StreamingMultipartFormData::appendPartWithHeaders(std::map<std::string, std::string> headers,
                                                       std::shared_ptr<const std::string> body) {
    auto part = std::make_shared<HTTPBodyPart>();
    part->stringEncoding = stringEncoding_;
    part->headers = std::move(headers);
    part->boundary = boundary_;
    part->bodyContentLength = body ? body->size() : 0;
    part->setBodyData(std::move(body));
    bodyStream_->appendHTTPBodyPart(std::move(part));
}

void StreamingMultipartFormData::throttleBandwidthWithPacketSize(std::int64_t numberOfBytes, double delay) {
    bodyStream_->numberOfBytesInPacket = numberOfBytes;
    bodyStream_->delay = delay;
}

URLRequest StreamingMultipartFormData::requestByFinalizingMultipartFormData() {
    if (bodyStream_->isEmpty()) return request_;
    bodyStream_->setInitialAndFinalBoundaries();
    request_.HTTPBody.reset();
    request_.HTTPBodyStream = bodyStream_;
    request_.setValue("multipart/form-data; boundary=" + boundary_, "Content-Type");
    char length[32];
    std::snprintf(length, sizeof length, "%llu",
                  static_cast<unsigned long long>(bodyStream_->contentLength()));
    request_.setValue(std::string(length), "Content-Length");
    return request_;
}

}  // namespace busdesk
