#include "net/HTTPBodyPart.h"

#include <algorithm>
#include <cstring>

#include "net/QueryStringPair.h"
#include "net/URLError.h"

namespace busdesk {

namespace {
const char* kCRLF = "\r\n";

std::string encoded(const std::string& text, const std::string& encoding) {
    auto bytes = encodeText(text, encoding);
    return bytes ? *bytes : text;
}
}  // namespace

void HTTPBodyPart::setBodyData(std::shared_ptr<const std::string> data) {
    data_ = std::move(data);
    filePath_.reset();
    givenStream_.reset();
}

void HTTPBodyPart::setBodyFile(std::string path) {
    data_.reset();
    filePath_ = std::move(path);
    givenStream_.reset();
}

void HTTPBodyPart::setBodyStream(std::shared_ptr<InputStream> stream) {
    data_.reset();
    filePath_.reset();
    givenStream_ = std::move(stream);
}

std::string HTTPBodyPart::openingText() const {
    return encoded(
        hasInitialBoundary ? "--" + boundary + kCRLF : std::string(kCRLF) + "--" + boundary + kCRLF,
        stringEncoding);
}

std::string HTTPBodyPart::headerText() const {
    std::string text;
    for (const auto& [name, value] : headers) text += name + ": " + value + kCRLF;
    text += kCRLF;
    return encoded(text, stringEncoding);
}

std::string HTTPBodyPart::closingText() const {
    return hasFinalBoundary ? encoded(std::string(kCRLF) + "--" + boundary + "--" + kCRLF, stringEncoding)
                            : std::string();
}

std::uint64_t HTTPBodyPart::contentLength() const {
    return openingText().size() + headerText().size() + bodyContentLength + closingText().size();
}

bool HTTPBodyPart::hasBytesAvailable() const {
    return !finished_ && !error_;
}

void HTTPBodyPart::reset() {
    if (inputStream_) inputStream_->close();
    inputStream_.reset();
    phase_ = EncapsulationBoundaryPhase;
    phaseReadOffset_ = 0;
    bodyRead_ = 0;
    finished_ = false;
    phaseText_ = openingText();
    error_.reset();
}

std::shared_ptr<InputStream> HTTPBodyPart::openContentStream() {
    std::shared_ptr<InputStream> stream;
    if (givenStream_) {
        stream = givenStream_;
    } else if (filePath_) {
        stream = std::make_shared<FileInputStream>(*filePath_);
    } else {
        stream = std::make_shared<DataInputStream>(data_);
    }
    stream->open();
    return stream;
}

void HTTPBodyPart::transitionToNextPhase() {
    switch (phase_) {
        case EncapsulationBoundaryPhase:
            phase_ = HeaderPhase;
            phaseText_ = headerText();
            break;
        case HeaderPhase:
            phase_ = BodyPhase;
            inputStream_ = openContentStream();
            break;
        case BodyPhase:
            if (inputStream_) inputStream_->close();
            phase_ = FinalBoundaryPhase;
            phaseText_ = closingText();
            break;
        case FinalBoundaryPhase:
            phase_ = EncapsulationBoundaryPhase;
            phaseText_ = openingText();
            finished_ = true;
            break;
    }
    phaseReadOffset_ = 0;
}

std::size_t HTTPBodyPart::readText(const std::string& text, std::uint8_t* buffer, std::size_t maxLength) {
    std::size_t n = std::min(maxLength, text.size() - phaseReadOffset_);
    if (n > 0) std::memcpy(buffer, text.data() + phaseReadOffset_, n);
    phaseReadOffset_ += n;
    if (phaseReadOffset_ >= text.size()) transitionToNextPhase();
    return n;
}

long HTTPBodyPart::read(std::uint8_t* buffer, std::size_t maxLength) {
    if (error_) return -1;
    if (finished_) return 0;
    if (phase_ == EncapsulationBoundaryPhase && phaseReadOffset_ == 0 && phaseText_.empty()) {
        phaseText_ = openingText();
    }
    std::size_t total = 0;
    if (phase_ == EncapsulationBoundaryPhase) total += readText(phaseText_, buffer, maxLength);
    if (phase_ == HeaderPhase && total < maxLength)
        total += readText(phaseText_, buffer + total, maxLength - total);
    if (phase_ == BodyPhase && total < maxLength) {
        if (inputStream_->streamStatus() == StreamStatus::Error) {
            error_ = inputStream_->streamError();
            if (!error_)
                error_ = Error(kURLErrorDomain, URLErrorCode::RequestBodyStreamExhausted, "stream error");
            return -1;
        }
        std::uint64_t remaining = bodyContentLength - bodyRead_;
        std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(maxLength - total, remaining));
        long n = want > 0 ? inputStream_->read(buffer + total, want) : 0;
        if (n < 0) {
            error_ = inputStream_->streamError();
            if (!error_)
                error_ = Error(kURLErrorDomain, URLErrorCode::RequestBodyStreamExhausted, "stream error");
            return -1;
        }
        total += static_cast<std::size_t>(n);
        bodyRead_ += static_cast<std::uint64_t>(n);
        StreamStatus status = inputStream_->streamStatus();
        bool ended = status == StreamStatus::AtEnd || status == StreamStatus::Closed || (n == 0 && want > 0);
        if (bodyRead_ >= bodyContentLength) {
            transitionToNextPhase();
        } else if (ended) {
            // The content is shorter than the length announced in Content-Length: sending on
            // would leave the server waiting for bytes that never come.
            error_ = Error(kURLErrorDomain, URLErrorCode::RequestBodyStreamExhausted,
                           "A part of the request body ended before its announced length");
            return -1;
        }
    }
    if (phase_ == FinalBoundaryPhase && total < maxLength)
        total += readText(phaseText_, buffer + total, maxLength - total);
    return static_cast<long>(total);
}

}  // namespace busdesk
