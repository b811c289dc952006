// The bare window kt7config's start-up is measured against: a QMainWindow of
// the same toolkit, shown, and nothing else.

#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.show();
    return QApplication::exec();
}
