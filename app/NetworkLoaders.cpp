#include "app/NetworkLoaders.h"

#include "net/HTTPRequestOperation.h"
#include "net/HTTPRequestOperationManager.h"
#include "net/HTTPResponseSerializer.h"
#include "platform/views/WebView.h"
#include "ui/RemoteImageLoader.h"

namespace busdesk {

namespace {

// Raw bytes, or for a text answer (a page, a style sheet) the body decoded by its charset;
// nothing on any failure. Web views ask for pictures through the same loader as for pages, so
// only the answer's own type can say which it is.
void fetch(const std::string& url, bool decodeText, std::function<void(std::optional<std::string>)> done) {
    auto manager = HTTPRequestOperationManager::manager();
    manager->setResponseSerializer(HTTPResponseSerializer::serializer());
    auto shared = std::make_shared<std::function<void(std::optional<std::string>)>>(std::move(done));
    manager->GET(
        url, std::nullopt,
        [shared, decodeText](const std::shared_ptr<HTTPRequestOperation>& op,
                             const ResponseObject& response) {
            bool text = op && op->response() && op->response()->MIMEType().rfind("text/", 0) == 0;
            if (decodeText && text) {
                if (auto decoded = op->responseString()) {
                    (*shared)(decoded);
                    return;
                }
            }
            (*shared)(response.data);
        },
        [shared](const std::shared_ptr<HTTPRequestOperation>&, const Error&) { (*shared)(std::nullopt); });
}

}  // namespace

void installNetworkLoaders() {
    RemoteImageLoader::shared().setFetch(
        [](const std::string& url, std::function<void(std::optional<std::string>)> done) {
            fetch(url, false, std::move(done));
        });
    WebView::setLoader([](const std::string& url, std::function<void(std::optional<std::string>)> done) {
        fetch(url, true, std::move(done));
    });
}

}  // namespace busdesk
