// The start-up floor: an empty Qt Widgets window titled with the document's name, which reads
// nothing. bench/run measures it like an editor, to show what any Qt program needs before it
// can do anything with a document on this machine.
#include <QApplication>
#include <QFileInfo>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QFileInfo(QString::fromLocal8Bit(argc > 1 ? argv[1] : "")).fileName());
    window.resize(600, 400);
    window.show();
    return app.exec();
}
