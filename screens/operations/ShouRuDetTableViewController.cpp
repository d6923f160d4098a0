#include "screens/operations/ShouRuDetTableViewController.h"

#include "platform/Log.h"

namespace busdesk {

void ShouRuDetTableViewController::viewDidLoad() {
    Log::line("-----8==" + userId.value_or("(null)"));
    ResultListViewController::viewDidLoad();
}

}  // namespace busdesk
