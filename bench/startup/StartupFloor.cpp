// The floor of a cold start: a Qt Widgets program that shows one label and quits once the label has
// been painted.
#include <QApplication>
#include <QLabel>
#include <QTimer>

namespace {

class Label : public QLabel {
  public:
    using QLabel::QLabel;

  protected:
    void paintEvent(QPaintEvent* event) override {
        QLabel::paintEvent(event);
        if (!painted_) {
            painted_ = true;
            QTimer::singleShot(0, qApp, &QApplication::quit);
        }
    }

  private:
    bool painted_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    Label label("登录");
    label.resize(390, 844);
    label.show();
    return app.exec();
}
