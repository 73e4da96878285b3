// References for the load benchmark, measured like the editors by bench/run:
//   omrik-qtfloor DOCUMENT         an empty QPlainTextEdit window titled with the document's
//                                  name, which reads nothing: the floor any Qt program that
//                                  shows text meets on the machine before it touches a file;
//   omrik-qtfloor --load DOCUMENT  the same window with the document read into it as UTF-8
//                                  in one go: a bare QPlainTextEdit editor.
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList arguments = QApplication::arguments();
    const bool load = arguments.size() > 2 && arguments.at(1) == QLatin1String("--load");
    const QString document = arguments.value(load ? 2 : 1);
    QPlainTextEdit window;
    if (load) {
        QFile file(document);
        if (file.open(QIODevice::ReadOnly))
            window.setPlainText(QString::fromUtf8(file.readAll()));
    }
    window.setWindowTitle(QFileInfo(document).fileName());
    window.resize(600, 400);
    window.show();
    return app.exec();
}
