// Glyfex's entry point: creates the application and its main window, then runs the event loop.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Glyfex"));
    QApplication::setOrganizationName(QStringLiteral("Glyfex"));

    QMainWindow window;
    window.setObjectName(QStringLiteral("Form1"));
    window.setWindowTitle(QStringLiteral("Glyfex"));
    window.resize(800, 600);
    window.show();
    return app.exec();
}
