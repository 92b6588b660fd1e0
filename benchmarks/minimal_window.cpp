// The least a Qt 6 Widgets program costs here: one empty window, the floor for Pulvar's start.
// With --label the window shows one line of text, which brings in the fonts any text needs.
#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>
#include <cstring>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle("Minimal Qt window");
    if (argc > 1 && std::strcmp(argv[1], "--label") == 0)
        (new QVBoxLayout(&window))->addWidget(new QLabel("One line of text", &window));
    window.show();
    return QApplication::exec();
}
