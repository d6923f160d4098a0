#include "net/MultipartBodyStream.h"

#include <algorithm>

namespace busdesk {

void MultipartBodyStream::appendHTTPBodyPart(std::shared_ptr<HTTPBodyPart> part) {
    parts_.push_back(std::move(part));
}

void MultipartBodyStream::setInitialAndFinalBoundaries() {
    for (auto& part : parts_) {
        part->hasInitialBoundary = false;
        part->hasFinalBoundary = false;
    }
    if (!parts_.empty()) {
        parts_.front()->hasInitialBoundary = true;
        parts_.back()->hasFinalBoundary = true;
    }
}

std::uint64_t MultipartBodyStream::contentLength() const {
    std::uint64_t length = 0;
    for (const auto& part : parts_) length += part->contentLength();
    return length;
}

void MultipartBodyStream::open() {
    setInitialAndFinalBoundaries();
    for (auto& part : parts_) part->reset();
    nextPart_ = 0;
    current_ = nullptr;
    readableAt_.reset();
    error_.reset();
    status_ = StreamStatus::Open;
}

void MultipartBodyStream::close() {
    for (auto& part : parts_) part->reset();
    current_ = nullptr;
    if (status_ != StreamStatus::Error) status_ = StreamStatus::Closed;
}

long MultipartBodyStream::read(std::uint8_t* buffer, std::size_t maxLength) {
    if (status_ == StreamStatus::Closed || status_ == StreamStatus::NotOpen) return 0;
    if (status_ == StreamStatus::Error) return -1;
    readableAt_.reset();
    std::size_t limit = maxLength;
    if (numberOfBytesInPacket >= 0 && static_cast<std::uint64_t>(numberOfBytesInPacket) < limit) {
        limit = static_cast<std::size_t>(numberOfBytesInPacket);
    }
    std::size_t total = 0;
    while (total < limit) {
        if (!current_ || !current_->hasBytesAvailable()) {
            if (nextPart_ >= parts_.size()) {
                current_ = nullptr;
                break;
            }
            current_ = parts_[nextPart_++].get();
            continue;
        }
        long n = current_->read(buffer + total, limit - total);
        if (n < 0) {
            fail(current_->streamError().value_or(Error("NSPOSIXErrorDomain", 5, "Input/output error")));
            return -1;
        }
        total += static_cast<std::size_t>(n);
        if (delay > 0 && n > 0) {
            readableAt_ = std::chrono::steady_clock::now() +
                          std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                              std::chrono::duration<double>(delay));
            break;
        }
    }
    if (total == 0 && !current_ && nextPart_ >= parts_.size()) status_ = StreamStatus::AtEnd;
    return static_cast<long>(total);
}

bool MultipartBodyStream::hasBytesAvailable() const {
    return status_ == StreamStatus::Open &&
           (nextPart_ < parts_.size() || (current_ && current_->hasBytesAvailable()));
}

}  // namespace busdesk
