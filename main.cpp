#include <QApplication>
#include <QLabel>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QLabel window(QStringLiteral("KESTRELON is under construction."));
    window.setWindowTitle(QStringLiteral("KESTRELON"));
    window.resize(360, 120);
    window.show();
    return app.exec();
}
