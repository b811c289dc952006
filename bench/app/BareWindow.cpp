// The bare windows kt7config's start-up is measured against: a QMainWindow of
// the same toolkit, shown, and nothing else; with --text, the same window
// showing one line of text, which costs what any window with words pays once
// (the font configuration read, a font loaded and shaped).

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <cstring>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    if (argc > 1 && std::strcmp(argv[1], "--text") == 0)
        window.setCentralWidget(new QLabel(QStringLiteral("Конфигурация")));
    window.show();
    return QApplication::exec();
}
