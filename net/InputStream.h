#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "platform/Error.h"

namespace busdesk {

enum class StreamStatus { NotOpen, Opening, Open, Reading, AtEnd, Closed, Error };

// A pull stream of bytes. read() returns the count delivered, 0 at the end and -1 on failure
// (with streamError() set). Streams are read from one thread at a time.
class InputStream {
  public:
    virtual ~InputStream() = default;
    virtual void open() = 0;
    virtual void close() = 0;
    virtual long read(std::uint8_t* buffer, std::size_t maxLength) = 0;
    virtual bool hasBytesAvailable() const = 0;
    StreamStatus streamStatus() const { return status_; }
    const std::optional<Error>& streamError() const { return error_; }

  protected:
    void fail(Error error) {
        error_ = std::move(error);
        status_ = StreamStatus::Error;
    }
    StreamStatus status_ = StreamStatus::NotOpen;
    std::optional<Error> error_;
};

// Reads bytes owned elsewhere (the owner keeps them alive) or bytes it owns.
class DataInputStream : public InputStream {
  public:
    explicit DataInputStream(std::shared_ptr<const std::string> data) : data_(std::move(data)) {}
    void open() override;
    void close() override;
    long read(std::uint8_t* buffer, std::size_t maxLength) override;
    bool hasBytesAvailable() const override;

  private:
    std::shared_ptr<const std::string> data_;
    std::size_t offset_ = 0;
};

class FileInputStream : public InputStream {
  public:
    explicit FileInputStream(std::string path) : path_(std::move(path)) {}
    ~FileInputStream() override;
    void open() override;
    void close() override;
    long read(std::uint8_t* buffer, std::size_t maxLength) override;
    bool hasBytesAvailable() const override;

  private:
    std::string path_;
    std::FILE* file_ = nullptr;
};

Error makePOSIXError(int err, const std::string& context);

}  // namespace busdesk
