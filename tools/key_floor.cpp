// The least a Qt widget program does for a typed key: take it, set the window's title (as our
// title shows the caret's column), and paint the one character. Its CPU per key, measured with
// tools/measure_keys.sh beside ours, is what Qt, the X connection and the kernel cost on the
// machine at hand before any editing is done.
//   g++ -O2 -fPIC tools/key_floor.cpp -o /tmp/key_floor $(pkg-config --cflags --libs Qt6Widgets)
//   touch /tmp/empty.txt; tools/measure_keys.sh floor /tmp/empty.txt /tmp/key_floor
#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QWidget>

namespace {

class KeyFloor : public QWidget {
public:
    explicit KeyFloor(QString name) : name_(std::move(name)) { setWindowTitle(name_); }

protected:
    void keyPressEvent(QKeyEvent* event) override {
        typed_ += event->text();
        setWindowTitle(QStringLiteral("%1  L:1 C:%2 (全1行)").arg(name_).arg(typed_.size()));
        update(cell());
    }
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(this);
        painter.fillRect(event->rect(), Qt::white);
        painter.drawText(cell(), QStringLiteral("あ"));
    }

private:
    QRect cell() const { return {10 + static_cast<int>(typed_.size() % 40) * 16, 10, 16, 20}; }

    QString name_;
    QString typed_;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    KeyFloor window(QStringLiteral("key floor - %1").arg(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString()));
    window.resize(800, 700);
    window.show();
    return app.exec();
}
