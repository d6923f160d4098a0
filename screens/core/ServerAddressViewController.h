#pragma once

#include <memory>
#include <string>

#include "platform/Translation.h"
#include "platform/views/Button.h"
#include "platform/views/Label.h"
#include "platform/views/TextField.h"
#include "platform/views/ViewController.h"

namespace busdesk {

// The office server's address: the one in use and where it came from, the problems of the
// busdesk.conf files, and a field for the user's own address with "测试连接" and "保存".
class ServerAddressViewController : public ViewController, public TextFieldDelegate {
  public:
    static constexpr const char* kTitle = N_("服务器地址");
    static constexpr const char* kConnected = N_("连接成功");

    void viewDidLoad() override;
    void viewDidLayoutSubviews() override;
    bool textFieldShouldReturn(TextField& field) override;

    // Tries the address in the field (the one in use when the field is blank) with one request.
    void testConnection();
    // Saves the field as the user's own address (blank: removes it); a bad address is refused.
    void saveAddress();

    std::shared_ptr<Label> addressInUse;
    std::shared_ptr<Label> addressSource;
    std::shared_ptr<Label> addressProblems;
    std::shared_ptr<TextField> tf_server;

  private:
    void showCurrent();
    void layout();
    std::shared_ptr<Label> hint_;
    std::shared_ptr<Button> test_;
    std::shared_ptr<Button> save_;
};

}  // namespace busdesk
