#include <QApplication>

#include "console/TForm1.h"
#include "console/TForm2.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    TForm1 form1;
    TForm2 form2(form1.Store(), form1.Reporter());
    form1.SetSettingsDialog(&form2);
    form1.show();
    return app.exec();
}
