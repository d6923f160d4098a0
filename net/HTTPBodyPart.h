#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "net/InputStream.h"

namespace busdesk {

// One part of a multipart body: its opening boundary, header block, content and (for the last
// part) the closing boundary. Each phase remembers how much of its text went out, so the bytes
// are the same whatever buffer sizes the reader uses.
class HTTPBodyPart {
  public:
    enum Phase { EncapsulationBoundaryPhase = 1, HeaderPhase = 2, BodyPhase = 3, FinalBoundaryPhase = 4 };

    std::string stringEncoding = "UTF-8";
    std::map<std::string, std::string> headers;
    std::string boundary;
    std::uint64_t bodyContentLength = 0;
    bool hasInitialBoundary = false;
    bool hasFinalBoundary = false;

    // Exactly one content source is set.
    void setBodyData(std::shared_ptr<const std::string> data);
    void setBodyFile(std::string path);
    void setBodyStream(std::shared_ptr<InputStream> stream);

    std::uint64_t contentLength() const;
    bool hasBytesAvailable() const;
    // Bytes delivered, or -1 with streamError() set.
    long read(std::uint8_t* buffer, std::size_t maxLength);
    const std::optional<Error>& streamError() const { return error_; }
    // Back to the opening boundary, content stream closed, ready to be sent again.
    void reset();
    Phase phase() const { return phase_; }

  private:
    std::string openingText() const;
    std::string headerText() const;
    std::string closingText() const;
    std::size_t readText(const std::string& text, std::uint8_t* buffer, std::size_t maxLength);
    void transitionToNextPhase();
    std::shared_ptr<InputStream> openContentStream();

    std::shared_ptr<const std::string> data_;
    std::optional<std::string> filePath_;
    std::shared_ptr<InputStream> givenStream_;

    std::shared_ptr<InputStream> inputStream_;
    Phase phase_ = EncapsulationBoundaryPhase;
    std::size_t phaseReadOffset_ = 0;
    std::uint64_t bodyRead_ = 0;
    bool finished_ = false;
    std::string phaseText_;
    std::optional<Error> error_;
};

}  // namespace busdesk
