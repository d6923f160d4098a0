#include "app/NetworkLoaders.h"

#include "net/HTTPRequestOperation.h"
#include "net/HTTPRequestOperationManager.h"
#include "net/HTTPResponseSerializer.h"
#include "platform/views/WebView.h"
#include "ui/RemoteImageLoader.h"

namespace busdesk {

namespace {

// Raw bytes (images) or the body decoded by its charset (pages); nothing on any failure.
void fetch(const std::string& url, bool asText, std::function<void(std::optional<std::string>)> done) {
    auto manager = HTTPRequestOperationManager::manager();
    manager->setResponseSerializer(HTTPResponseSerializer::serializer());
    auto shared = std::make_shared<std::function<void(std::optional<std::string>)>>(std::move(done));
    manager->GET(
        url, std::nullopt,
        [shared, asText](const std::shared_ptr<HTTPRequestOperation>& op, const ResponseObject& response) {
            if (asText && op) {
                (*shared)(op->responseString());
            } else {
                (*shared)(response.data);
            }
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
