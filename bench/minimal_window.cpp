// The peer of the start-up benchmark: the smallest Qt Widgets program that shows a window. With
// "--text" its window shows one line of text, so that it pays for setting up fonts as every window
// that shows words does.
#include <QApplication>
#include <QLabel>
#include <QWidget>

#include <cstring>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.resize(640, 480);
    if (argc > 1 && std::strcmp(argv[1], "--text") == 0)
        new QLabel(QStringLiteral("Drag files and folders here"), &window);
    window.show();
    return app.exec();
}
