#include "net/URLConnectionOperation.h"

#include <curl/curl.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "net/MultipartBodyStream.h"
#include "net/NetworkThread.h"
#include "net/NotificationCenter.h"
#include "net/TextEncoding.h"
#include "net/URLError.h"
#include "platform/RunLoop.h"

namespace busdesk {

namespace {

const char* stateKey(OperationState state) {
    switch (state) {
        case OperationState::Paused:
            return "isPaused";
        case OperationState::Ready:
            return "isReady";
        case OperationState::Executing:
            return "isExecuting";
        case OperationState::Finished:
            return "isFinished";
    }
    return "state";
}

bool transitionAllowed(OperationState from, OperationState to, bool cancelled) {
    switch (from) {
        case OperationState::Ready:
            return to == OperationState::Paused || to == OperationState::Executing ||
                   (to == OperationState::Finished && cancelled);
        case OperationState::Executing:
            return to == OperationState::Paused || to == OperationState::Finished;
        case OperationState::Paused:
            return to == OperationState::Ready;
        case OperationState::Finished:
            return false;
    }
    return false;
}

// What a failed transfer means to the caller: the URL error code and its text, by libcurl code.
struct CurlMeaning {
    std::vector<CURLcode> codes;
    long urlCode;
    const char* description;
};
const CurlMeaning kCurlMeanings[] = {
    {{CURLE_OPERATION_TIMEDOUT}, URLErrorCode::TimedOut, "The request timed out."},
    {{CURLE_COULDNT_RESOLVE_HOST, CURLE_COULDNT_RESOLVE_PROXY},
     URLErrorCode::CannotFindHost,
     "A server with the specified hostname could not be found."},
    {{CURLE_COULDNT_CONNECT}, URLErrorCode::CannotConnectToHost, "Could not connect to the server."},
    {{CURLE_PARTIAL_FILE, CURLE_GOT_NOTHING, CURLE_RECV_ERROR, CURLE_SEND_ERROR, CURLE_HTTP2,
      CURLE_HTTP2_STREAM},
     URLErrorCode::NetworkConnectionLost,
     "The network connection was lost."},
    {{CURLE_TOO_MANY_REDIRECTS}, URLErrorCode::HTTPTooManyRedirects, "too many HTTP redirects"},
    {{CURLE_PEER_FAILED_VERIFICATION, CURLE_SSL_PINNEDPUBKEYNOTMATCH, CURLE_SSL_CACERT_BADFILE},
     URLErrorCode::ServerCertificateUntrusted,
     "The certificate for this server is invalid."},
    {{CURLE_SSL_CONNECT_ERROR},
     URLErrorCode::SecureConnectionFailed,
     "An SSL error has occurred and a secure connection to the server cannot be made."},
    {{CURLE_UNSUPPORTED_PROTOCOL}, URLErrorCode::UnsupportedURL, "unsupported URL"},
    {{CURLE_URL_MALFORMAT}, URLErrorCode::BadURL, "bad URL"},
    {{CURLE_BAD_CONTENT_ENCODING}, URLErrorCode::CannotDecodeRawData, "cannot decode raw data"},
    {{CURLE_LOGIN_DENIED},
     URLErrorCode::UserAuthenticationRequired,
     "The user name or password is not correct."},
};

Error errorForCurlCode(CURLcode code, const std::string& url, const char* detail) {
    long urlCode = URLErrorCode::Unknown;
    std::string description = curl_easy_strerror(code);
    for (const auto& m : kCurlMeanings)
        if (std::find(m.codes.begin(), m.codes.end(), code) != m.codes.end()) {
            urlCode = m.urlCode;
            description = m.description;
            break;
        }
    Error e = makeURLError(urlCode, description, url);
    if (detail && *detail) e.userInfo[kErrorFailureReasonKey] = std::string(detail);
    e.userInfo["CURLcode"] = static_cast<long>(code);
    return e;
}

}  // namespace

// One libcurl easy transfer for an operation. Lives on the network thread; keeps its operation
// alive until the transfer has ended.
class Connection : public NetworkTransfer, public std::enable_shared_from_this<Connection> {
  public:
    Connection(std::shared_ptr<URLConnectionOperation> op) : op_(std::move(op)) {}
    ~Connection() override {
        if (easy_) curl_easy_cleanup(easy_);
        if (headers_) curl_slist_free_all(headers_);
        if (bodyStream_) bodyStream_->close();
    }

    bool begin();
    std::optional<Error> startError() const { return abortError_; }
    void cancel() { NetworkThread::shared().removeTransfer(easy_); }
    void transferDidComplete(int curlCode) override;
    void poll(TimePoint now) override;
    std::optional<TimePoint> nextDeadline() const override;

  private:
    static size_t onHeader(char* data, size_t size, size_t count, void* self);
    static size_t onWrite(char* data, size_t size, size_t count, void* self);
    static size_t onRead(char* buffer, size_t size, size_t count, void* self);
    static int onSeek(void* self, curl_off_t offset, int origin);
    static int onProgress(void* self, curl_off_t dlTotal, curl_off_t dlNow, curl_off_t ulTotal,
                          curl_off_t ulNow);
    void ensureResponse();
    void fail(Error error);

    std::shared_ptr<URLConnectionOperation> op_;
    CURL* easy_ = nullptr;
    curl_slist* headers_ = nullptr;
    char errorBuffer_[CURL_ERROR_SIZE] = {0};
    std::string body_;
    std::shared_ptr<InputStream> bodyStream_;
    HTTPHeaders headerFields_;
    bool headersComplete_ = false;
    std::shared_ptr<const HTTPURLResponse> response_;
    std::string data_;
    std::optional<Error> abortError_;
    // Silence time-out and overall deadline, on the network thread's time-out clock (virtual in
    // headless mode); throttling pauses stay on real time.
    void noteActivity() { lastActivity_ = clock_->now(); }
    std::shared_ptr<const Clock> clock_;
    Clock::Duration timeout_{};
    Clock::TimePoint lastActivity_;
    Clock::TimePoint deadline_;
    std::optional<TimePoint> pausedUntil_;
    curl_off_t lastDown_ = 0, lastUp_ = 0;
    bool done_ = false;
};

bool Connection::begin() {
    const URLRequest& request = op_->request();
    easy_ = curl_easy_init();
    if (!easy_) return false;
    curl_easy_setopt(easy_, CURLOPT_URL, request.URL.c_str());
    curl_easy_setopt(easy_, CURLOPT_PRIVATE, this);
    curl_easy_setopt(easy_, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy_, CURLOPT_ERRORBUFFER, errorBuffer_);
    curl_easy_setopt(easy_, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy_, CURLOPT_MAXREDIRS, 16L);
    curl_easy_setopt(easy_, CURLOPT_ACCEPT_ENCODING, "");
    curl_easy_setopt(easy_, CURLOPT_TCP_KEEPALIVE, 1L);
    curl_easy_setopt(easy_, CURLOPT_SHARE, NetworkThread::shared().share());
    if (request.HTTPShouldHandleCookies) curl_easy_setopt(easy_, CURLOPT_COOKIEFILE, "");
    curl_easy_setopt(easy_, CURLOPT_HEADERFUNCTION, &Connection::onHeader);
    curl_easy_setopt(easy_, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, &Connection::onWrite);
    curl_easy_setopt(easy_, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(easy_, CURLOPT_XFERINFOFUNCTION, &Connection::onProgress);
    curl_easy_setopt(easy_, CURLOPT_XFERINFODATA, this);
    curl_easy_setopt(easy_, CURLOPT_NOPROGRESS, 0L);
    if (op_->securityPolicy && !op_->securityPolicy->configureTransfer(easy_)) {
        abortError_ = makeURLError(URLErrorCode::ServerCertificateUntrusted,
                                   "The pinned certificates could not be read.", request.URL);
        return false;
    }
    if (op_->credential) {
        curl_easy_setopt(easy_, CURLOPT_HTTPAUTH, CURLAUTH_ANY);
        curl_easy_setopt(easy_, CURLOPT_USERNAME, op_->credential->user.c_str());
        curl_easy_setopt(easy_, CURLOPT_PASSWORD, op_->credential->password.c_str());
    }

    std::string method = request.HTTPMethod;
    std::transform(method.begin(), method.end(), method.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    bool hasBody = request.HTTPBody.has_value() || request.HTTPBodyStream != nullptr;
    if (method == "HEAD") {
        curl_easy_setopt(easy_, CURLOPT_NOBODY, 1L);
    } else if (method == "GET" && !hasBody) {
        curl_easy_setopt(easy_, CURLOPT_HTTPGET, 1L);
    } else {
        if (hasBody || method == "POST") curl_easy_setopt(easy_, CURLOPT_POST, 1L);
        if (method != "POST") curl_easy_setopt(easy_, CURLOPT_CUSTOMREQUEST, method.c_str());
    }
    if (request.HTTPBodyStream) {
        bodyStream_ = request.HTTPBodyStream;
        bodyStream_->open();
        curl_off_t length = -1;
        if (auto multipart = std::dynamic_pointer_cast<MultipartBodyStream>(bodyStream_)) {
            length = static_cast<curl_off_t>(multipart->contentLength());
        } else if (auto header = request.valueForHTTPHeaderField("Content-Length")) {
            length = std::strtoll(header->c_str(), nullptr, 10);
        }
        curl_easy_setopt(easy_, CURLOPT_READFUNCTION, &Connection::onRead);
        curl_easy_setopt(easy_, CURLOPT_READDATA, this);
        curl_easy_setopt(easy_, CURLOPT_SEEKFUNCTION, &Connection::onSeek);
        curl_easy_setopt(easy_, CURLOPT_SEEKDATA, this);
        curl_easy_setopt(easy_, CURLOPT_POSTFIELDSIZE_LARGE, length);
    } else if (request.HTTPBody) {
        body_ = *request.HTTPBody;
        curl_easy_setopt(easy_, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body_.size()));
        curl_easy_setopt(easy_, CURLOPT_POSTFIELDS, body_.data());
    } else if (method == "POST") {
        curl_easy_setopt(easy_, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(0));
        curl_easy_setopt(easy_, CURLOPT_POSTFIELDS, "");
    }

    for (const auto& [name, value] : request.allHTTPHeaderFields) {
        if (CaseInsensitiveLess{}(name, "Content-Length") == false &&
            CaseInsensitiveLess{}("Content-Length", name) == false) {
            continue;  // libcurl writes it from the body size
        }
        std::string line = value.empty() ? name + ";" : name + ": " + value;
        headers_ = curl_slist_append(headers_, line.c_str());
    }
    if (!request.valueForHTTPHeaderField("Content-Type"))
        headers_ = curl_slist_append(headers_, "Content-Type:");
    headers_ = curl_slist_append(headers_, "Expect:");
    curl_easy_setopt(easy_, CURLOPT_HTTPHEADER, headers_);

    double seconds =
        request.timeoutInterval > 0 ? request.timeoutInterval : URLRequest::kDefaultTimeoutInterval;
    double overall =
        request.deadlineInterval > 0 ? request.deadlineInterval : URLRequest::kDefaultDeadlineInterval;
    // A longer silence time-out than the deadline would never count; the deadline grows with it.
    // Both are kept to what the clock's arithmetic holds (a year).
    constexpr double kLongestSeconds = 365.0 * 24 * 3600;
    seconds = std::min(seconds, kLongestSeconds);
    overall = std::min(std::max(overall, seconds), kLongestSeconds);
    timeout_ = std::chrono::duration_cast<Clock::Duration>(std::chrono::duration<double>(seconds));
    clock_ = NetworkThread::shared().timeoutClock();
    lastActivity_ = clock_->now();
    deadline_ =
        lastActivity_ + std::chrono::duration_cast<Clock::Duration>(std::chrono::duration<double>(overall));
    NetworkThread::shared().addTransfer(easy_, shared_from_this());
    return true;
}

size_t Connection::onHeader(char* data, size_t size, size_t count, void* userData) {
    auto* self = static_cast<Connection*>(userData);
    // libcurl hands header bytes over a whole line at a time: a head that dribbles in without
    // finishing a line is silence to the time-out, by design (docs/architecture.md, "Limits").
    self->noteActivity();
    std::string_view line(data, size * count);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    if (line.substr(0, 5) == "HTTP/") {
        // A new response head: after a redirect or an interim 1xx answer.
        self->headerFields_.clear();
        self->headersComplete_ = false;
    } else if (line.empty()) {
        self->headersComplete_ = true;
    } else if (auto colon = line.find(':'); colon != std::string_view::npos) {
        std::string name(line.substr(0, colon));
        std::string_view value = line.substr(colon + 1);
        while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
        auto it = self->headerFields_.find(name);
        if (it == self->headerFields_.end()) {
            self->headerFields_.emplace(std::move(name), std::string(value));
        } else {
            it->second += ", " + std::string(value);
        }
    }
    return size * count;
}

void Connection::ensureResponse() {
    if (response_) return;
    auto response = std::make_shared<HTTPURLResponse>();
    long status = 0;
    curl_easy_getinfo(easy_, CURLINFO_RESPONSE_CODE, &status);
    char* effective = nullptr;
    curl_easy_getinfo(easy_, CURLINFO_EFFECTIVE_URL, &effective);
    response->URL = effective ? effective : op_->request().URL;
    response->statusCode = status;
    response->allHeaderFields = headerFields_;
    curl_off_t length = -1;
    curl_easy_getinfo(easy_, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    response->expectedContentLength = length;
    response_ = response;
    op_->connectionDidReceiveResponse(response_);
}

size_t Connection::onWrite(char* data, size_t size, size_t count, void* userData) {
    auto* self = static_cast<Connection*>(userData);
    size_t n = size * count;
    self->noteActivity();
    self->ensureResponse();
    if (self->data_.size() + n > self->op_->maximumResponseDataLength) {
        self->abortError_ = makeURLError(URLErrorCode::DataLengthExceedsMaximum,
                                         "The response body is larger than " +
                                             std::to_string(self->op_->maximumResponseDataLength) +
                                             " bytes, the most this client accepts.",
                                         self->op_->request().URL);
        return 0;
    }
    if (self->data_.empty() && self->response_->expectedContentLength > 0 &&
        static_cast<std::uint64_t>(self->response_->expectedContentLength) <=
            self->op_->maximumResponseDataLength) {
        self->data_.reserve(static_cast<std::size_t>(self->response_->expectedContentLength));
    }
    self->data_.append(data, n);
    if (auto progress = self->op_->downloadProgress()) {
        std::uint64_t total = self->data_.size();
        std::int64_t expected = self->response_->expectedContentLength;
        dispatchMain([progress, n, total, expected] { progress(n, total, expected); });
    }
    return n;
}

size_t Connection::onRead(char* buffer, size_t size, size_t count, void* userData) {
    auto* self = static_cast<Connection*>(userData);
    if (self->pausedUntil_) return CURL_READFUNC_PAUSE;
    auto* multipart = dynamic_cast<MultipartBodyStream*>(self->bodyStream_.get());
    if (multipart && multipart->readableAt() && *multipart->readableAt() > std::chrono::steady_clock::now()) {
        self->pausedUntil_ = *multipart->readableAt();
        return CURL_READFUNC_PAUSE;
    }
    long n = self->bodyStream_->read(reinterpret_cast<std::uint8_t*>(buffer), size * count);
    if (n < 0) {
        Error e = self->bodyStream_->streamError().value_or(
            makeURLError(URLErrorCode::RequestBodyStreamExhausted, "The request body stream failed.",
                         self->op_->request().URL));
        self->abortError_ = e;
        return CURL_READFUNC_ABORT;
    }
    self->noteActivity();
    return static_cast<size_t>(n);
}

int Connection::onSeek(void* userData, curl_off_t offset, int origin) {
    auto* self = static_cast<Connection*>(userData);
    // Only a rewind to the start (a redirect that keeps the body) is possible: the stream is
    // produced again from its parts.
    if (offset != 0 || origin != SEEK_SET) return CURL_SEEKFUNC_CANTSEEK;
    self->bodyStream_->close();
    self->bodyStream_->open();
    return CURL_SEEKFUNC_OK;
}

int Connection::onProgress(void* userData, curl_off_t, curl_off_t dlNow, curl_off_t ulTotal,
                           curl_off_t ulNow) {
    auto* self = static_cast<Connection*>(userData);
    if (dlNow != self->lastDown_ || ulNow != self->lastUp_) self->noteActivity();
    if (ulNow != self->lastUp_) {
        if (auto progress = self->op_->uploadProgress()) {
            std::uint64_t bytes = static_cast<std::uint64_t>(ulNow - self->lastUp_);
            std::uint64_t total = static_cast<std::uint64_t>(ulNow);
            std::int64_t expected = ulTotal > 0 ? ulTotal : -1;
            dispatchMain([progress, bytes, total, expected] { progress(bytes, total, expected); });
        }
    }
    self->lastDown_ = dlNow;
    self->lastUp_ = ulNow;
    return 0;
}

void Connection::poll(TimePoint now) {
    if (done_) return;
    if (pausedUntil_) {
        if (now >= *pausedUntil_) {
            pausedUntil_.reset();
            noteActivity();
            curl_easy_pause(easy_, CURLPAUSE_CONT);
        }
        return;
    }
    const auto current = clock_->now();
    if (current - lastActivity_ >= timeout_ || current >= deadline_) {
        NetworkThread::shared().removeTransfer(easy_);
        fail(makeURLError(URLErrorCode::TimedOut, "The request timed out.", op_->request().URL));
    }
}

std::optional<NetworkTransfer::TimePoint> Connection::nextDeadline() const {
    if (done_) return std::nullopt;
    if (pausedUntil_) return pausedUntil_;
    // In real time from now; with a virtual clock the thread looks again often anyway.
    const auto remaining = std::min(lastActivity_ + timeout_, deadline_) - clock_->now();
    return std::chrono::steady_clock::now() +
           std::chrono::duration_cast<std::chrono::steady_clock::duration>(remaining);
}

void Connection::fail(Error error) {
    if (done_) return;
    done_ = true;
    if (bodyStream_) bodyStream_->close();
    auto op = std::move(op_);
    op->connectionDidFail(std::move(error));
}

void Connection::transferDidComplete(int curlCode) {
    if (done_) return;
    auto code = static_cast<CURLcode>(curlCode);
    if (abortError_) {
        fail(*abortError_);
        return;
    }
    if (code != CURLE_OK) {
        fail(errorForCurlCode(code, op_->request().URL, errorBuffer_));
        return;
    }
    ensureResponse();
    done_ = true;
    if (bodyStream_) bodyStream_->close();
    auto op = std::move(op_);
    op->connectionDidFinishLoading(std::move(data_));
}

// ---------------------------------------------------------------------------------------------

URLConnectionOperation::URLConnectionOperation(URLRequest request) : request_(std::move(request)) {}

URLConnectionOperation::~URLConnectionOperation() = default;

std::shared_ptr<const HTTPURLResponse> URLConnectionOperation::response() const {
    std::lock_guard lock(lock_);
    return response_;
}

const std::string& URLConnectionOperation::responseData() const {
    std::lock_guard lock(lock_);
    return responseData_;
}

std::string URLConnectionOperation::takeResponseData() {
    std::lock_guard lock(lock_);
    return std::exchange(responseData_, std::string());
}

std::string URLConnectionOperation::responseStringEncoding() const {
    std::lock_guard lock(lock_);
    if (response_) {
        if (auto name = response_->textEncodingName(); name && isKnownEncoding(*name)) return *name;
    }
    return "UTF-8";
}

std::optional<std::string> URLConnectionOperation::responseString() const {
    std::lock_guard lock(lock_);
    if (responseString_) return *responseString_;
    if (!response_) return std::nullopt;
    std::optional<std::string> text = responseData_.empty()
                                          ? std::optional<std::string>(std::string())
                                          : decodeText(responseData_, responseStringEncoding());
    // Kept only once the body is complete.
    if (state_ == OperationState::Finished) responseString_ = text;
    return text;
}

std::optional<Error> URLConnectionOperation::error() const {
    std::lock_guard lock(lock_);
    return error_;
}

std::optional<Error> URLConnectionOperation::transportError() const {
    std::lock_guard lock(lock_);
    return error_;
}

OperationState URLConnectionOperation::state() const {
    std::lock_guard lock(lock_);
    return state_;
}

bool URLConnectionOperation::isCancelled() const {
    std::lock_guard lock(lock_);
    return cancelled_;
}

void URLConnectionOperation::setStateObserver(StateObserver observer) {
    std::lock_guard lock(lock_);
    stateObserver_ = std::move(observer);
}

void URLConnectionOperation::setState(OperationState state) {
    std::lock_guard lock(lock_);
    if (!transitionAllowed(state_, state, cancelled_)) return;
    OperationState old = state_;
    state_ = state;
    if (stateObserver_) {
        stateObserver_(stateKey(old));
        stateObserver_(stateKey(state));
    }
}

void URLConnectionOperation::setCompletionBlock(std::function<void()> block) {
    setCompletionJob([block = std::move(block)] {
        if (block) block();
        RunLoop::main().endWork();
    });
}

void URLConnectionOperation::setCompletionJob(std::function<void()> job) {
    std::lock_guard lock(lock_);
    completion_ = std::move(job);
}

void URLConnectionOperation::setUploadProgressBlock(ProgressBlock block) {
    std::lock_guard lock(lock_);
    uploadProgress_ = std::move(block);
}

void URLConnectionOperation::setDownloadProgressBlock(ProgressBlock block) {
    std::lock_guard lock(lock_);
    downloadProgress_ = std::move(block);
}

URLConnectionOperation::ProgressBlock URLConnectionOperation::uploadProgress() const {
    std::lock_guard lock(lock_);
    return uploadProgress_;
}

URLConnectionOperation::ProgressBlock URLConnectionOperation::downloadProgress() const {
    std::lock_guard lock(lock_);
    return downloadProgress_;
}

void URLConnectionOperation::deliver(std::function<void()> job) {
    if (completionQueue) {
        completionQueue(std::move(job));
    } else {
        dispatchMain(std::move(job));
    }
}

void URLConnectionOperation::start() {
    std::lock_guard lock(lock_);
    if (started_ || state_ == OperationState::Finished) return;
    if (!cancelled_ && state_ != OperationState::Ready) return;
    started_ = true;
    RunLoop::main().beginWork();
    auto self = shared_from_this();
    if (cancelled_) {
        NetworkThread::shared().post([self] { self->cancelConnection(); });
    } else {
        setState(OperationState::Executing);
        NetworkThread::shared().post([self] { self->operationDidStart(); });
    }
}

void URLConnectionOperation::operationDidStart() {
    {
        std::lock_guard lock(lock_);
        if (cancelled_ || state_ == OperationState::Finished) return;
    }
    auto connection = std::make_shared<Connection>(shared_from_this());
    connection_ = connection;
    if (!connection->begin()) {
        connection_.reset();
        connectionDidFail(connection->startError().value_or(
            makeURLError(URLErrorCode::Unknown, "The connection could not be started.", request_.URL)));
        return;
    }
    // Posted only when observed: the main thread is not woken for a notification nobody receives.
    if (!NotificationCenter::defaultCenter().hasObservers(kNetworkingOperationDidStartNotification)) return;
    auto self = shared_from_this();
    dispatchMain(
        [self] { NotificationCenter::defaultCenter().post(kNetworkingOperationDidStartNotification, self); });
}

void URLConnectionOperation::cancel() {
    std::lock_guard lock(lock_);
    if (cancelled_) return;
    if (state_ == OperationState::Finished) {
        // The answer is in but nobody has heard of it yet: the delivery reports the cancellation
        // instead. Once it has begun (or without one) there is nothing left to change.
        if (awaitsDelivery_) cancelled_ = true;
        return;
    }
    cancelled_ = true;
    if (state_ == OperationState::Executing) {
        auto self = shared_from_this();
        NetworkThread::shared().post([self] { self->cancelConnection(); });
    }
}

void URLConnectionOperation::expectDelivery() {
    std::lock_guard lock(lock_);
    awaitsDelivery_ = true;
}

bool URLConnectionOperation::beginDelivery() {
    std::lock_guard lock(lock_);
    awaitsDelivery_ = false;
    return cancelled_;
}

void URLConnectionOperation::cancelConnection() {
    Error e = makeURLError(URLErrorCode::Cancelled, "cancelled", request_.URL);
    if (isFinished()) return;
    if (auto connection = std::move(connection_)) {
        connection->cancel();
        connectionDidFail(std::move(e));
    } else {
        {
            std::lock_guard lock(lock_);
            error_ = std::move(e);
        }
        finish();
    }
}

void URLConnectionOperation::connectionDidReceiveResponse(std::shared_ptr<const HTTPURLResponse> response) {
    std::lock_guard lock(lock_);
    response_ = std::move(response);
}

void URLConnectionOperation::connectionDidFinishLoading(std::string data) {
    connection_.reset();
    {
        std::lock_guard lock(lock_);
        responseData_ = std::move(data);
    }
    finish();
}

void URLConnectionOperation::connectionDidFail(Error error) {
    connection_.reset();
    {
        std::lock_guard lock(lock_);
        error_ = std::move(error);
    }
    finish();
}

void URLConnectionOperation::finish() {
    std::function<void()> completion;
    {
        std::lock_guard lock(lock_);
        if (state_ == OperationState::Finished) return;
        if (state_ == OperationState::Ready && !cancelled_) return;
        setState(OperationState::Finished);
        completion = std::move(completion_);
        completion_ = nullptr;
    }
    auto self = shared_from_this();
    // With a completion job, that job ends the work bracket; the main thread is then woken here
    // only when someone observes the notification.
    if (!completion ||
        NotificationCenter::defaultCenter().hasObservers(kNetworkingOperationDidFinishNotification)) {
        dispatchMain([self, hasCompletion = static_cast<bool>(completion)] {
            NotificationCenter::defaultCenter().post(kNetworkingOperationDidFinishNotification, self);
            if (!hasCompletion) RunLoop::main().endWork();
        });
    }
    if (completion) {
        DispatchQueue::processing().async([self, completion = std::move(completion)] { completion(); });
    }
}

}  // namespace busdesk
