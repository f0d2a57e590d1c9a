#include <QApplication>
#include <QLabel>

// Placeholder entry until the operator console is in place.
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("Тестер БК \"ВОРТА\": пульт оператора в разработке"));
    label.show();
    return app.exec();
}
