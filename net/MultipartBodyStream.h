#pragma once

#include <chrono>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

#include "net/HTTPBodyPart.h"
#include "net/InputStream.h"

namespace busdesk {

// Produces a multipart body on demand from its parts while the transport sends it. Reading
// never involves another thread: the reader (the network thread) drives every phase itself.
class MultipartBodyStream : public InputStream {
  public:
    using SteadyTime = std::chrono::steady_clock::time_point;

    explicit MultipartBodyStream(std::string stringEncoding = "UTF-8")
        : stringEncoding(std::move(stringEncoding)) {}

    std::string stringEncoding;
    // At most this many bytes per read; after every part read the stream rests `delay` seconds
    // (the transport pauses rather than blocking its thread, see readableAt()).
    std::int64_t numberOfBytesInPacket = std::numeric_limits<std::int64_t>::max();
    double delay = 0;

    void appendHTTPBodyPart(std::shared_ptr<HTTPBodyPart> part);
    const std::vector<std::shared_ptr<HTTPBodyPart>>& HTTPBodyParts() const { return parts_; }
    void setInitialAndFinalBoundaries();
    bool isEmpty() const { return parts_.empty(); }
    // Computed from the parts' lengths, without producing the body.
    std::uint64_t contentLength() const;

    void open() override;
    void close() override;
    long read(std::uint8_t* buffer, std::size_t maxLength) override;
    bool hasBytesAvailable() const override;
    // While throttled: the moment the next read may happen.
    std::optional<SteadyTime> readableAt() const { return readableAt_; }

  private:
    std::vector<std::shared_ptr<HTTPBodyPart>> parts_;
    std::size_t nextPart_ = 0;
    HTTPBodyPart* current_ = nullptr;
    std::optional<SteadyTime> readableAt_;
};

}  // namespace busdesk
