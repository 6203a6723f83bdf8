#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Vorlix Pro");
    QMainWindow window;
    window.setWindowTitle("Vorlix Pro 3");
    window.show();
    return app.exec();
}
