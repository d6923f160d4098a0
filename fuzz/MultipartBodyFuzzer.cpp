// Arbitrary multipart uploads: form fields from parameters, data parts, parts with headers of
// their own, stream parts and file parts, under several text encodings, read back in pieces of
// arbitrary sizes. The declared Content-Length must equal the bytes the body stream writes, and
// a second send of the same request must write the same bytes.
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <boost/json.hpp>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "net/HTTPRequestSerializer.h"
#include "net/InputStream.h"
#include "net/StreamingMultipartFormData.h"

namespace {

using namespace busdesk;

constexpr const char* kEncodings[] = {"UTF-8", "gbk", "gb18030", "iso-8859-1"};

// One file per part: a file part is read when the body is sent, not when it is appended.
std::string scratchFile(int part) {
    return (std::filesystem::temp_directory_path() /
            ("busdesk-fuzz-multipart-" + std::to_string(::getpid()) + "-" + std::to_string(part) + ".bin"))
        .string();
}

// The whole body, read in the pieces `sizes` asks for (cycled); nullopt when a read fails.
std::optional<std::string> readAll(InputStream& stream, const std::vector<size_t>& sizes) {
    std::string out;
    std::vector<std::uint8_t> buffer;
    stream.open();
    for (size_t turn = 0;; ++turn) {
        size_t want = sizes.empty() ? 4096 : sizes[turn % sizes.size()];
        buffer.resize(want);
        long n = stream.read(buffer.data(), want);
        if (n < 0) return std::nullopt;
        if (n == 0) break;
        if (static_cast<size_t>(n) > want) __builtin_trap();
        out.append(reinterpret_cast<const char*>(buffer.data()), static_cast<size_t>(n));
    }
    stream.close();
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    auto serializer = HTTPRequestSerializer::serializer();
    serializer->stringEncoding = kEncodings[in.ConsumeIntegralInRange<size_t>(0, std::size(kEncodings) - 1)];

    boost::json::object parameters;
    for (int i = in.ConsumeIntegralInRange(0, 3); i > 0; --i) {
        std::string key = in.ConsumeRandomLengthString(32);
        parameters[key] = in.ConsumeRandomLengthString(64);
    }
    std::vector<size_t> sizes;
    for (int i = in.ConsumeIntegralInRange(0, 4); i > 0; --i)
        sizes.push_back(in.ConsumeIntegralInRange<size_t>(1, 700));

    std::vector<std::shared_ptr<const std::string>> keep;
    auto block = [&](StreamingMultipartFormData& form) {
        for (int parts = in.ConsumeIntegralInRange(0, 5); parts > 0; --parts) {
            std::string name = in.ConsumeRandomLengthString(24);
            std::string fileName = in.ConsumeRandomLengthString(24);
            std::string type = in.ConsumeRandomLengthString(24);
            std::string content = in.ConsumeRandomLengthString(1024);
            switch (in.ConsumeIntegralInRange(0, 4)) {
                case 0:
                    form.appendPartWithFormData(content, name);
                    break;
                case 1:
                    form.appendPartWithFileData(content, name, fileName, type);
                    break;
                case 2:
                    form.appendPartWithHeaders({{name, type}, {"Content-Disposition", fileName}}, content);
                    break;
                case 3: {
                    auto bytes = std::make_shared<const std::string>(content);
                    keep.push_back(bytes);
                    form.appendPartWithInputStream(std::make_shared<DataInputStream>(bytes), name, fileName,
                                                   static_cast<std::int64_t>(bytes->size()), type);
                    break;
                }
                default: {
                    {
                        std::ofstream file(scratchFile(parts), std::ios::binary | std::ios::trunc);
                        file << content;
                    }
                    Error error;
                    if (!form.appendPartWithFileURL(scratchFile(parts), name, fileName, type, &error))
                        __builtin_trap();
                    break;
                }
            }
        }
    };
    Error error;
    auto request = serializer->multipartFormRequestWithMethod(
        "POST", "http://127.0.0.1:8088/OfficeServiceQ/Upload", boost::json::value(parameters), block, &error);
    if (!request) return 0;                  // text the encoding cannot represent
    if (!request->HTTPBodyStream) return 0;  // nothing to send
    auto declared = request->valueForHTTPHeaderField("Content-Length");
    if (!declared) __builtin_trap();

    auto first = readAll(*request->HTTPBodyStream, sizes);
    if (!first) __builtin_trap();
    if (std::to_string(first->size()) != *declared) __builtin_trap();
    // A retry (a redirect, an authentication challenge) sends the same body again.
    auto second = readAll(*request->HTTPBodyStream, {});
    if (!second || *second != *first) __builtin_trap();
    return 0;
}
