#include "services/ConnectionTestService.h"

#include "core/OfficeMethods.h"
#include "core/PublicMethod.h"
#include "services/OfficeCall.h"

namespace busdesk {

void ConnectionTestService::testConnectionWithBaseURL(const std::string& baseURL,
                                                      std::function<void()> success,
                                                      std::function<void(const std::string& reason)> fail) {
    // The plain serializer: any 2xx answer says that the server is there, whatever its body.
    auto mgr = OfficeCall::manager(true);
    mgr->GET(
        PublicMethod::addUrlPreWithNameNoPara(baseURL, OfficeMethod::Query_CompanyLogo), std::nullopt,
        [mgr, success = std::move(success)](const std::shared_ptr<HTTPRequestOperation>&,
                                            const ResponseObject&) {
            if (success) success();
        },
        [mgr, fail = std::move(fail)](const std::shared_ptr<HTTPRequestOperation>& operation,
                                      const Error& error) {
            OfficeCall::logFailure(error, operation, false);
            if (fail) fail(error.description);
        });
}

}  // namespace busdesk
