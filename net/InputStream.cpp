#include "net/InputStream.h"

#include <cerrno>
#include <cstring>

namespace busdesk {

Error makePOSIXError(int err, const std::string& context) {
    Error e("NSPOSIXErrorDomain", err, std::strerror(err));
    if (!context.empty()) e.userInfo[kErrorFailureReasonKey] = context;
    return e;
}

void DataInputStream::open() {
    offset_ = 0;
    error_.reset();
    status_ = StreamStatus::Open;
}

void DataInputStream::close() {
    status_ = StreamStatus::Closed;
}

long DataInputStream::read(std::uint8_t* buffer, std::size_t maxLength) {
    if (status_ != StreamStatus::Open && status_ != StreamStatus::Reading) {
        return status_ == StreamStatus::Error ? -1 : 0;
    }
    std::size_t size = data_ ? data_->size() : 0;
    std::size_t n = std::min(maxLength, size - offset_);
    if (n > 0) std::memcpy(buffer, data_->data() + offset_, n);
    offset_ += n;
    if (offset_ >= size) status_ = StreamStatus::AtEnd;
    return static_cast<long>(n);
}

bool DataInputStream::hasBytesAvailable() const {
    return (status_ == StreamStatus::Open || status_ == StreamStatus::Reading) && data_ &&
           offset_ < data_->size();
}

FileInputStream::~FileInputStream() {
    if (file_) std::fclose(file_);
}

void FileInputStream::open() {
    if (file_) std::fclose(file_);
    error_.reset();
    file_ = std::fopen(path_.c_str(), "rb");
    if (!file_) {
        fail(makePOSIXError(errno, path_));
        return;
    }
    status_ = StreamStatus::Open;
}

void FileInputStream::close() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
    if (status_ != StreamStatus::Error) status_ = StreamStatus::Closed;
}

long FileInputStream::read(std::uint8_t* buffer, std::size_t maxLength) {
    if (status_ == StreamStatus::Error) return -1;
    if (!file_ || status_ == StreamStatus::AtEnd || status_ == StreamStatus::Closed) return 0;
    std::size_t n = std::fread(buffer, 1, maxLength, file_);
    if (n < maxLength) {
        if (std::ferror(file_)) {
            fail(makePOSIXError(errno ? errno : EIO, path_));
            return -1;
        }
        status_ = StreamStatus::AtEnd;
    }
    return static_cast<long>(n);
}

bool FileInputStream::hasBytesAvailable() const {
    return file_ && (status_ == StreamStatus::Open || status_ == StreamStatus::Reading);
}

}  // namespace busdesk
