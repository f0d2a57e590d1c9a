#include "console/TForm1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScreen>
#include <QShortcut>
#include <QToolButton>
#include <QTabBar>
#include <QTabWidget>
#include <QThread>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <stdexcept>

#include "common/MonotonicClock.h"
#include "console/ClickableImage.h"
#include "console/ConsoleEnvironment.h"
#include "console/EcuVariantSelector.h"
#include "console/FontFit.h"
#include "console/InstrumentFactory.h"
#include "console/LinkMonitor.h"
#include "console/MonitorGeometry.h"
#include "console/MonitorWindow.h"
#include "console/StampResolution.h"
#include "console/ParameterControls.h"
#include "console/SettingsStore.h"
#include "console/StoredSettings.h"
#include "console/TForm2.h"
#include "console/TripCheckPanel.h"
#include "emulator/EcuEmulator.h"
#include "emulator/TroubleCodeList.h"
#include "serial/ErrorReport.h"
#include "serial/TSerComm.h"
#include "widgets/TUiColBitBtn.h"
#include "widgets/TUiDial.h"
#include "widgets/TUiLED.h"
#include "widgets/TUiVSlider.h"
#include "widgets/TUiValueInd.h"

const QString TForm1::kWebAddress = QStringLiteral("https://vorta-bench.example/");

namespace {

const QColor kRed(255, 0, 0);
const QColor kBlue(0, 64, 255);
const QColor kGreen(0, 255, 0);
const QColor kMaroon(128, 0, 0);

// Keeps the hidden request log from growing without end on a bench that runs for days.
constexpr int kLogLines = 1000;

template <typename T>
T* Require(const QObject* owner, const char* name) {
    T* child = owner->findChild<T*>(QString::fromLatin1(name));
    if (child == nullptr) {
        throw std::logic_error(std::string("control missing: ") + name);
    }
    return child;
}

QLabel* Caption(QWidget* parent, const char* name, const QString& text, int x, int y, int w, int h) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(x, y, w, h);
    return label;
}

QPixmap BenchPicture(const QString& title, const QColor& tint) {
    QPixmap picture(200, 110);
    picture.fill(Qt::white);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient face(0, 0, 200, 110);
    face.setColorAt(0, tint.lighter(160));
    face.setColorAt(1, tint);
    p.setBrush(face);
    p.setPen(QPen(tint.darker(150), 2));
    p.drawRoundedRect(QRectF(4, 4, 192, 102), 12, 12);
    QFont font = p.font();
    font.setBold(true);
    font.setPointSize(14);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(4, 4, 192, 102), Qt::AlignCenter, title);
    return picture;
}

}  // namespace

TForm1::TForm1(const ConsoleOptions& options, std::unique_ptr<SettingsStore> store, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      store_(store ? std::move(store) : SettingsStore::OpenDefault()),
      reporter_(options.messageSink),
      serComm1_(std::make_unique<TSerComm>()),
      monitor_(std::make_unique<LinkMonitor>()) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Тестер БК \"ВОРТА\" ЛОРН-7 Веролин"));
    QFont font(QStringLiteral("Sans Serif"), 8);
    font.setStyleHint(QFont::SansSerif);
    setFont(font);
    setFixedSize(781, 639);

    BuildToolBar();
    PageControl1_ = new QTabWidget(this);
    PageControl1_->setObjectName(QStringLiteral("PageControl1"));
    PageControl1_->setGeometry(0, 32, 781, 567);
    const std::pair<void (TForm1::*)(QWidget*), QString> tabs[] = {
        {&TForm1::BuildTripComputerTab, QStringLiteral("Параметры маршрутного компьютера")},
        {&TForm1::BuildTesterTab, QStringLiteral("Параметры диагностического тестера")},
        {&TForm1::BuildTroubleCodeTab, QStringLiteral("Ошибки ЭСУД")},
        {&TForm1::BuildIdentificationTab, QStringLiteral("Идентификация ЭСУД")},
        {&TForm1::BuildAboutTab, QStringLiteral("О программе")},
    };
    int index = 1;
    for (const auto& [build, caption] : tabs) {
        auto* tab = new QWidget;
        tab->setObjectName(QStringLiteral("TabSheet%1").arg(index++));
        (this->*build)(tab);
        PageControl1_->addTab(tab, caption);
    }
    PageControl1_->setCurrentIndex(0);
    QTabBar* tabBar = PageControl1_->tabBar();
    tabBar->setUsesScrollButtons(false);
    tabBar->setFont(FittingFont(
        tabBar->font(),
        [tabBar](const QFont& f) {
            tabBar->setFont(f);
            return tabBar->sizeHint().width();
        },
        PageControl1_->width() - 4));
    BuildBottomStrip();
    BuildTimers();
    Bind(options);

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    FormCreate(options);
}

TForm1::~TForm1() {
    SetApplicationErrorReporter({});
    // The port's threads stop before the emulator and the controls they hand events to.
    serComm1_->Close();
    if (monitorWindow_ != nullptr && monitorWindow_->isVisible()) {
        monitorWindow_->hide();  // keeps its place for the next run
    }
}

MonitorWindow* TForm1::ShowMonitor() {
    if (monitorWindow_ == nullptr) {
        monitorWindow_ = new MonitorWindow(*monitor_, this);
        if (const auto rect = MonitorGeometry::Read(*store_)) {
            monitorWindow_->setGeometry(*rect);
        }
        monitorWindow_->SetOnHide([this](const QRect& rect) {
            try {
                MonitorGeometry::Write(*store_, rect);
            } catch (const std::exception& e) {
                reporter_.Report(this, QString::fromStdString(e.what()));
            }
        });
    }
    monitorWindow_->show();
    monitorWindow_->raise();
    monitorWindow_->activateWindow();
    return monitorWindow_;
}

void TForm1::BuildToolBar() {
    ToolBar1_ = new QToolBar(this);
    ToolBar1_->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1_->setGeometry(0, 0, 781, 25);
    ToolBar1_->setMovable(false);
    ToolBar1_->setContentsMargins(0, 0, 0, 0);
    ToolBar1_->layout()->setSpacing(0);
    ToolBar1_->layout()->setContentsMargins(0, 2, 0, 2);
}

void TForm1::BuildMonitorButton() {
    // The six type buttons leave the toolbar's right end free: room for the monitor without
    // moving anything else. It sits over the toolbar rather than in it, so the toolbar's own
    // layout never folds it away.
    auto* button = new QToolButton(this);
    button->setObjectName(QStringLiteral("MonitorButton"));
    button->setText(QStringLiteral("Монитор"));
    button->setToolTip(QStringLiteral("Монитор K-линии (F12)"));
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setAutoRaise(true);
    button->setGeometry(width() - 62, ToolBar1_->y() + 2, 60, 21);
    button->raise();
    connect(button, &QToolButton::clicked, this, &TForm1::ShowMonitor);
    auto* f12 = new QShortcut(QKeySequence(Qt::Key_F12), this);
    f12->setContext(Qt::ApplicationShortcut);
    connect(f12, &QShortcut::activated, this, &TForm1::ShowMonitor);
}

void TForm1::BuildTripComputerTab(QWidget* tab) {
    using namespace InstrumentFactory;
    Dial(tab, {"UiDial1", QStringLiteral(" "), QStringLiteral("Скорость"), QStringLiteral("км/ч"), 0, 250, 0,
               QStringLiteral("##0"), 5, 5},
         8, 8, 150, 200);
    Slider(tab, {"UiVSlider5", QStringLiteral("Расход"), QStringLiteral("топлива"), QStringLiteral("л/час"), 0, 40, 0,
                 QStringLiteral("##0.0"), 4, 5},
           164, 8, 110, 289);
    auto* consumption = Dial(tab, {"UiDial4", QStringLiteral("Путевой расход"), QStringLiteral("топлива"),
                                   QStringLiteral("л/100км"), 0, 40, 10, QStringLiteral("##0.0"), 4, 5},
                             280, 8, 150, 200);
    consumption->SetEnabled(false);
    Slider(tab, {"UiVSlider9", QStringLiteral("Длит."), QStringLiteral("впрыска "), QStringLiteral("мсек"), 0, 100, 0,
                 QStringLiteral("##0.00"), 5, 5},
           436, 8, 110, 289);

    Switch(tab, "UiColBitBtn2", QStringLiteral("Зажигание выключено"), QStringLiteral("Зажигание включено"), 552, 8,
           211, 32);
    Switch(tab, "UiColBitBtn1", QStringLiteral("Завести двигатель"), QStringLiteral("Двигатель запущен"), 552, 48, 211,
           32);
    Switch(tab, "UiColBitBtn7", QStringLiteral("Старт подсчета параметров"), QStringLiteral("Стоп расчета параметров"),
           552, 104, 211, 32);
    Switch(tab, "UiColBitBtn11", QStringLiteral("Запустить кривую"), QStringLiteral("Кривая запущена"), 552, 144, 211,
           32);

    auto* group = new QGroupBox(QStringLiteral("Проверка подсчета параметров"), tab);
    group->setObjectName(QStringLiteral("GroupBox1"));
    group->setGeometry(8, 308, 755, 112);
    Caption(group, "Label1", QStringLiteral("Время в пути:"), 12, 24, 100, 20);
    auto* vremy = new QLineEdit(QStringLiteral("0.0.0"), group);
    vremy->setObjectName(QStringLiteral("Vremy"));
    vremy->setEnabled(false);
    vremy->setGeometry(12, 46, 96, 24);
    Readout(group, "UiValueIndPut", QStringLiteral("Путь"), QStringLiteral("км"), QStringLiteral("#####0.000"), 122,
            20, 150, 80);
    Readout(group, "UiValueIndRashod", QStringLiteral("Расход"), QStringLiteral("л"), QStringLiteral("#####0.000"),
            280, 20, 150, 80);
    Readout(group, "UiValueIndSredSkor", QStringLiteral("Средняя скорость"), QStringLiteral("км/ч"),
            QStringLiteral("###0"), 438, 20, 150, 80);
    Readout(group, "UiValueIndSredRash", QStringLiteral("Средний расход"), QStringLiteral("л/100"),
            QStringLiteral("####0.0"), 596, 20, 150, 80);

    QFont bold = font();
    bold.setBold(true);
    auto* label4 = Caption(tab, "Label4",
                           QStringLiteral("Программное обеспечение бортовых компьютеров ВОРТА можно обновить"), 8, 436,
                           530, 20);
    auto* label5 = Caption(tab, "Label5", QStringLiteral("с сайта производителя ") + kWebAddress, 8, 458, 530, 20);
    for (QLabel* label : {label4, label5}) {
        label->setFont(bold);
        label->setStyleSheet(QStringLiteral("color: #800000;"));
    }
    PushButton(tab, "UiColBitBtn6", QStringLiteral("Обновить ПО с сайта"), 552, 440, 211, 32);
}

QLineEdit* TForm1::Mirror(QWidget* tab, const char* name, const QString& label, int row) {
    auto* caption = Caption(tab, (std::string("Label_") + name).c_str(), label, 400, 300 + row * 20, 240, 18);
    caption->setVisible(false);
    auto* mirror = new QLineEdit(tab);
    mirror->setObjectName(QString::fromLatin1(name));
    mirror->setGeometry(650, 300 + row * 20, 100, 18);
    mirror->setReadOnly(true);
    mirror->setVisible(false);
    return mirror;
}

void TForm1::BuildTesterTab(QWidget* tab) {
    using namespace InstrumentFactory;
    Slider(tab, {"UiVSlider1", QStringLiteral("Температура"), QStringLiteral("охл.жидкости"), QStringLiteral("°С"),
                 -40, 160, 20, QStringLiteral("##0"), 5, 5},
           4, 4, 96, 289);
    Slider(tab, {"UiVSlider4", QStringLiteral("Массовый"), QStringLiteral("расход воздуха"), QStringLiteral("кг/ч"), 0,
                 100, 0, QStringLiteral("##0.0"), 5, 5},
           102, 4, 96, 289);
    Slider(tab, {"UiVSlider2", QStringLiteral("Положение"), QStringLiteral("дроселя"), QStringLiteral("%"), 0, 100, 0,
                 QStringLiteral("##0"), 5, 5},
           200, 4, 96, 289);
    Slider(tab, {"UiVSlider3", QStringLiteral("Текушее"), QStringLiteral("положение РХХ"), QStringLiteral("шаг"), 0,
                 250, 0, QStringLiteral("##0"), 5, 5},
           298, 4, 96, 289);
    auto* engineSpeed = Dial(tab, {"UiDial2", QStringLiteral(" "), QStringLiteral("Обороты ДВС"),
                                   QStringLiteral("об/мин"), 0, 10000, 0, QStringLiteral("####0"), 10, 2},
                             4, 300, 128, 205);
    engineSpeed->SetChangeSmall(4);
    Dial(tab, {"UiDial3", QStringLiteral("Напряжение"), QStringLiteral("бортсети"), QStringLiteral("В"), 5.2f, 17.9f,
               11.3976f, QStringLiteral("##0.0"), 5, 2},
         134, 300, 128, 205);
    Dial(tab, {"UiDial5", QStringLiteral("Текушее обороты"), QStringLiteral("ДВС на холостом ходу"),
               QStringLiteral("об/мин"), 0, 2500, 0, QStringLiteral("####0"), 10, 2},
         264, 300, 132, 205);

    Switch(tab, "UiColBitBtn3", QStringLiteral("Зажигание выключено"), QStringLiteral("Зажигание включено"), 404, 4,
           178, 32);
    Switch(tab, "UiColBitBtn4", QStringLiteral("Завести двигатель"), QStringLiteral("Двигатель запущен"), 588, 4, 178,
           32);

    Caption(tab, "LabelOn", QStringLiteral("ОN"), 406, 46, 24, 18);
    Caption(tab, "LabelOff", QStringLiteral("OFF"), 430, 46, 30, 18);
    struct Pair {
        const char* on;
        const char* off;
        Lamp onLamp;
        Lamp offLamp;
        QString caption;
        QColor offColour;
    };
    const Pair pairs[] = {
        {"ESUDCONTROL2ON", "ESUDCONTROL2OFF", Lamp::ESUDCONTROL2ON, Lamp::ESUDCONTROL2OFF,
         QStringLiteral("Реле вентилятора охлаждения"), kRed},
        {"ESUDCONTROL1ON", "ESUDCONTROL1OFF", Lamp::ESUDCONTROL1ON, Lamp::ESUDCONTROL1OFF,
         QStringLiteral("Реле вентилятора охлаждения №2"), kRed},
        {"ESUDCONTROL5ON", "ESUDCONTROL5OFF", Lamp::ESUDCONTROL5ON, Lamp::ESUDCONTROL5OFF,
         QStringLiteral("Катушка зажигания 1-4 цилиндра"), kGreen},
        {"ESUDCONTROL6ON", "ESUDCONTROL6OFF", Lamp::ESUDCONTROL6ON, Lamp::ESUDCONTROL6OFF,
         QStringLiteral("Катушка зажигания 2-3 цилиндра"), kGreen},
        {"ESUDCONTROL7ON", "ESUDCONTROL7OFF", Lamp::ESUDCONTROL7ON, Lamp::ESUDCONTROL7OFF,
         QStringLiteral("Катушка зажигания 2-3 цилиндра (M7.9.7)"), kGreen},
        {"ESUDCONTROL8ON", "ESUDCONTROL8OFF", Lamp::ESUDCONTROL8ON, Lamp::ESUDCONTROL8OFF,
         QStringLiteral("Катушка зажигания 1-4 цилиндра (M7.9.7)"), kGreen},
    };
    int y = 66;
    for (const Pair& p : pairs) {
        lamps_[p.onLamp] = Led(tab, p.on, QString(), kGreen, 406, y, 22, 24);
        lamps_[p.offLamp] = Led(tab, p.off, p.caption, p.offColour, 432, y, 334, 24);
        y += 28;
    }
    lamps_[Lamp::UiLED3] = Led(tab, "UiLED3", QStringLiteral("Произведен сброс ошибок"), kRed, 406, y + 12, 300, 24);
    lamps_[Lamp::UiLED4] = Led(tab, "UiLED4", QStringLiteral("Произведен сброс ЭБУ"), kRed, 406, y + 40, 300, 24);

    const std::pair<const char*, QString> mirrors[] = {
        {"Edit9", QStringLiteral("Скорость, км/ч")},
        {"Edit10", QStringLiteral("Температура охлаждающей жидкости, °С")},
        {"Edit11", QStringLiteral("Обороты ДВС, об/мин")},
        {"Edit12", QStringLiteral("Положение дросселя, %")},
        {"Edit13", QStringLiteral("Текушее положение РХХ, шаг")},
        {"Edit14", QStringLiteral("Расход топлива, л/ч")},
        {"Edit1", QStringLiteral("Расход топлива, л/100км")},
        {"Edit15", QStringLiteral("Масовый расход воздуха, кг/ч")},
        {"Edit16", QStringLiteral("Напряжение бортсети, В")},
        {"Edit18", QStringLiteral("Текушее обороты ДВС на ХХ, об/мин")},
        {"Edit24", QStringLiteral("Длительность импульса впрыска, мсек")},
    };
    int row = 0;
    for (const auto& [name, label] : mirrors) {
        Mirror(tab, name, label, row++);
    }
    Require<QLineEdit>(tab, "Edit1")->setEnabled(false);
}

void TForm1::BuildTroubleCodeTab(QWidget* tab) {
    CheckListBox1_ = new QListWidget(tab);
    CheckListBox1_->setObjectName(QStringLiteral("CheckListBox1"));
    CheckListBox1_->setGeometry(4, 4, 761, 490);
    for (const std::string& text : TroubleCodeList()) {
        auto* item = new QListWidgetItem(QString::fromStdString(text), CheckListBox1_);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    lamps_[Lamp::UiLED5] =
        InstrumentFactory::Led(tab, "UiLED5", QStringLiteral("Произведен сброс ошибок"), kRed, 4, 502, 300, 24);
    InstrumentFactory::PushButton(tab, "UiColBitBtn8", QStringLiteral("Очистка окна ошибок"), 585, 500, 180, 28);
}

void TForm1::BuildIdentificationTab(QWidget* tab) {
    struct Field {
        const char* label;
        const char* edit;
        QString caption;
        QString text;
    };
    // Two columns: the controller's own texts on the left, the supplier numbers on the right.
    const Field left[] = {
        {"Label6", "Edit2", QStringLiteral("Версия ПЗУ:"), QStringLiteral("V5V13J02")},
        {"Label7", "Edit3", QStringLiteral("Заводской номер ЭБУ:"), QStringLiteral("2112 -1411020-60")},
        {"Label8", "Edit4", QStringLiteral("Идентификатор двигателя:"), QStringLiteral("SAMARA-1.5L, 8V")},
        {"Label9", "Edit5", QStringLiteral("Дата программирования:"), QStringLiteral("05-07-1996")},
        {"Label12", "Edit37", QStringLiteral("VIN номер автомобиля:"), QStringLiteral("XTA2110498765432109")},
    };
    const Field right[] = {
        {"Label10", "Edit6", QStringLiteral("systemSupplierECUHardwareNumber:"), QStringLiteral("0261123456")},
        {"Label11", "Edit7", QStringLiteral("systemSupplierECUSoftwareNumber:"), QStringLiteral("1411000-00")},
    };
    auto column = [tab](const auto& fields, int labelX, int labelWidth, int editWidth) {
        int y = 20;
        for (const Field& f : fields) {
            Caption(tab, f.label, f.caption, labelX, y + 3, labelWidth, 20);
            auto* edit = new QLineEdit(f.text, tab);
            edit->setObjectName(QString::fromLatin1(f.edit));
            edit->setGeometry(labelX + labelWidth + 4, y, editWidth, 24);
            y += 36;
        }
    };
    column(left, 12, 172, 190);
    column(right, 396, 232, 138);
}

void TForm1::BuildAboutTab(QWidget* tab) {
    auto* memo2 = new QPlainTextEdit(tab);
    memo2->setObjectName(QStringLiteral("Memo2"));
    memo2->setReadOnly(true);
    memo2->setGeometry(8, 8, 757, 300);
    memo2->setPlainText(QStringList{
        QStringLiteral("Программа предназначена для тестирования маршрутных компьютеров."),
        QStringLiteral("Программа эмулирует диагностический протокол контроллера ЭСУД."),
        QString(),
        QStringLiteral("Версия 1.6 от 25.03.2011"),
        QString(),
        QStringLiteral("Разработана для лаборатории стендовых испытаний бортовой электроники."),
        QString(),
        QStringLiteral("Авторы: команда разработчиков стенда ВОРТА."),
    }.join(QLatin1Char('\n')));

    const std::pair<const char*, QColor> images[] = {{"Image1", QColor(0, 70, 160)}, {"Image2", kMaroon}};
    int x = 8;
    for (const auto& [name, tint] : images) {
        auto* image = new ClickableImage(tab);
        image->setObjectName(QString::fromLatin1(name));
        image->setPixmap(BenchPicture(QStringLiteral("ВОРТА"), tint));
        image->setGeometry(x, 320, 200, 110);
        connect(image, &ClickableImage::Clicked, this, &TForm1::OpenWebAddress);
        x += 212;
    }

    Memo1_ = new QPlainTextEdit(tab);
    Memo1_->setObjectName(QStringLiteral("Memo1"));
    Memo1_->setMaximumBlockCount(kLogLines);
    Memo1_->setGeometry(440, 320, 320, 110);
    Memo1_->setVisible(false);
}

void TForm1::BuildBottomStrip() {
    lamps_[Lamp::UiLED1] =
        InstrumentFactory::Led(this, "UiLED1", QStringLiteral("Запрос по К-линии"), kRed, 8, 607, 160, 26);
    lamps_[Lamp::UiLED2] =
        InstrumentFactory::Led(this, "UiLED2", QStringLiteral("Ответ по К-линии"), kBlue, 176, 607, 160, 26);
    InstrumentFactory::PushButton(this, "UiColBitBtn10", QStringLiteral("Настройка"), 352, 605, 110, 28);
    auto* web = InstrumentFactory::PushButton(this, "UiColBitBtn5", kWebAddress, 476, 605, 296, 28);
    web->SetTextColOn(kBlue);
    web->SetTextColOff(kBlue);
    QFont bold = font();
    bold.setBold(true);
    web->setFont(bold);
}

void TForm1::BuildTimers() {
    const std::pair<QTimer**, int> timers[] = {
        {&Timer1_, 100}, {&Timer2_, 5000}, {&Timer3_, 100}, {&Timer4_, 100}, {&Timer5_, 100}};
    int n = 1;
    for (const auto& [timer, interval] : timers) {
        *timer = new QTimer(this);
        (*timer)->setObjectName(QStringLiteral("Timer%1").arg(n++));
        (*timer)->setInterval(interval);
    }
}

void TForm1::Bind(const ConsoleOptions& options) {
    variants_ = new EcuVariantSelector(ToolBar1_, Require<QLineEdit>(this, "Edit2"), this);

    ParameterControls::Controls p{};
    p.UiDial1 = Require<TUiDial>(this, "UiDial1");
    p.UiVSlider1 = Require<TUiVSlider>(this, "UiVSlider1");
    p.UiDial2 = Require<TUiDial>(this, "UiDial2");
    p.UiVSlider2 = Require<TUiVSlider>(this, "UiVSlider2");
    p.UiVSlider3 = Require<TUiVSlider>(this, "UiVSlider3");
    p.UiVSlider5 = Require<TUiVSlider>(this, "UiVSlider5");
    p.UiDial4 = Require<TUiDial>(this, "UiDial4");
    p.UiVSlider4 = Require<TUiVSlider>(this, "UiVSlider4");
    p.UiDial3 = Require<TUiDial>(this, "UiDial3");
    p.UiDial5 = Require<TUiDial>(this, "UiDial5");
    p.UiVSlider9 = Require<TUiVSlider>(this, "UiVSlider9");
    p.Edit9 = Require<QLineEdit>(this, "Edit9");
    p.Edit10 = Require<QLineEdit>(this, "Edit10");
    p.Edit11 = Require<QLineEdit>(this, "Edit11");
    p.Edit12 = Require<QLineEdit>(this, "Edit12");
    p.Edit13 = Require<QLineEdit>(this, "Edit13");
    p.Edit14 = Require<QLineEdit>(this, "Edit14");
    p.Edit15 = Require<QLineEdit>(this, "Edit15");
    p.Edit16 = Require<QLineEdit>(this, "Edit16");
    p.Edit18 = Require<QLineEdit>(this, "Edit18");
    p.Edit24 = Require<QLineEdit>(this, "Edit24");
    p.Edit1 = Require<QLineEdit>(this, "Edit1");
    p.UiColBitBtn2 = Require<TUiColBitBtn>(this, "UiColBitBtn2");
    p.UiColBitBtn3 = Require<TUiColBitBtn>(this, "UiColBitBtn3");
    p.UiColBitBtn1 = Require<TUiColBitBtn>(this, "UiColBitBtn1");
    p.UiColBitBtn4 = Require<TUiColBitBtn>(this, "UiColBitBtn4");
    parameters_ = new ParameterControls(p, format_, this);

    ConsoleEnvironment::Bindings b;
    b.port = serComm1_.get();
    b.linkTap = options.linkTap;
    b.monitor = monitor_.get();
    b.ignitionButton = p.UiColBitBtn2;
    b.variant = [this] { return variants_->Current(); };
    b.tripCheckRunning = [this] { return trip_->TripCheckRunning(); };
    b.mirrors = {{Mirror::Speed, p.Edit9},      {Mirror::Coolant, p.Edit10},    {Mirror::EngineSpeed, p.Edit11},
                 {Mirror::Throttle, p.Edit12},  {Mirror::IdleValve, p.Edit13},  {Mirror::FuelFlow, p.Edit14},
                 {Mirror::AirFlow, p.Edit15},   {Mirror::Voltage, p.Edit16},    {Mirror::IdleSpeed, p.Edit18},
                 {Mirror::Injection, p.Edit24}, {Mirror::Consumption, p.Edit1}};
    b.identification = {{IdentField::RomVersion, Require<QLineEdit>(this, "Edit2")},
                        {IdentField::Vin, Require<QLineEdit>(this, "Edit37")},
                        {IdentField::EcuSerialNumber, Require<QLineEdit>(this, "Edit3")},
                        {IdentField::EngineId, Require<QLineEdit>(this, "Edit4")},
                        {IdentField::ProgrammingDate, Require<QLineEdit>(this, "Edit5")},
                        {IdentField::HardwareNumber, Require<QLineEdit>(this, "Edit6")},
                        {IdentField::SoftwareNumber, Require<QLineEdit>(this, "Edit7")}};
    b.troubleCodes = CheckListBox1_;
    b.lamps = lamps_;
    b.log = Memo1_;
    b.resetTimer = Timer2_;
    environment_ = std::make_unique<ConsoleEnvironment>(std::move(b), format_);
    emulator_ = std::make_unique<EcuEmulator>(*environment_);
    emulator_->SetLinkObserver(monitor_.get());
    monitor_->SetVariantSource([this] { return variants_->Current(); });
    BuildMonitorButton();

    TripCheckPanel::Controls t{};
    t.UiColBitBtn7 = Require<TUiColBitBtn>(this, "UiColBitBtn7");
    t.UiColBitBtn11 = Require<TUiColBitBtn>(this, "UiColBitBtn11");
    t.Vremy = Require<QLineEdit>(this, "Vremy");
    t.UiValueIndPut = Require<TUiValueInd>(this, "UiValueIndPut");
    t.UiValueIndRashod = Require<TUiValueInd>(this, "UiValueIndRashod");
    t.UiValueIndSredSkor = Require<TUiValueInd>(this, "UiValueIndSredSkor");
    t.UiValueIndSredRash = Require<TUiValueInd>(this, "UiValueIndSredRash");
    t.UiDial1 = p.UiDial1;
    t.UiVSlider5 = p.UiVSlider5;
    t.Edit9 = p.Edit9;
    t.Edit14 = p.Edit14;
    t.Timer3 = Timer3_;
    t.Timer4 = Timer4_;
    t.Timer5 = Timer5_;
    trip_ = new TripCheckPanel(
        t, options.monotonicMs ? TripCheck::Clock(options.monotonicMs) : TripCheck::Clock(MonotonicMs),
        emulator_->GetFluctuation(), [this] { return parameters_->IgnitionOn(); },
        [this] { emulator_->Timer4Timer(); }, format_, this);
    connect(parameters_, &ParameterControls::IgnitionOffFromTripTab, trip_, &TripCheckPanel::StopTimers);

    connect(Timer1_, &QTimer::timeout, this, &TForm1::Timer1Timer);
    connect(Timer2_, &QTimer::timeout, this, &TForm1::Timer2Timer);
    connect(Require<TUiColBitBtn>(this, "UiColBitBtn8"), &TUiBinGControl::OnClick, this, &TForm1::UiColBitBtn8Click);
    connect(Require<TUiColBitBtn>(this, "UiColBitBtn10"), &TUiBinGControl::OnClick, this,
            &TForm1::UiColBitBtn10Click);
    for (const char* web : {"UiColBitBtn5", "UiColBitBtn6"}) {
        connect(Require<TUiColBitBtn>(this, web), &TUiBinGControl::OnClick, this, &TForm1::OpenWebAddress);
    }

    // Errors that escape a port event handler reach the operator like every other message.
    SetApplicationErrorReporter([this](const std::string& message) {
        const QString text = QString::fromStdString(message);
        QMetaObject::invokeMethod(
            this, [this, text] { reporter_.Report(this, text); },
            QThread::currentThread() == thread() ? Qt::DirectConnection : Qt::QueuedConnection);
    });
    serComm1_->SetOnRxChar([this](TSerCustomComm*, int count) { emulator_->SerComm1RxChar(count); });
}

void TForm1::FormCreate(const ConsoleOptions& options) {
    try {
        const StartupSettings settings = StartupSettings::Read(*store_);
        const QString port = options.portOverride.isEmpty() ? settings.portName : options.portOverride;
        serComm1_->SetDeviceName(port.toStdString());
        monitor_->Report().SetResolution(StampResolution::ForDevice(
            port.toStdString(), StampResolution::LatencyTimerMs(port.toStdString())));
        serComm1_->SetBaudrate(brUser);
        serComm1_->SetUserBaudrate(10400);
        serComm1_->SetParity(paNone);
        serComm1_->SetDatabits(db8);
        serComm1_->SetStopbits(sb1);
        serComm1_->FlowControl().SetControlDtr(dtrDisabled);
        serComm1_->FlowControl().SetControlRts(rtsDisabled);
        // A bad stored percentage is reported, and start-up goes on with 5.
        if (!settings.error.isEmpty()) {
            reporter_.Report(this, settings.error);
        }
        emulator_->GetFluctuation().Configure(settings.fluctuationEnabled, settings.fluctuationPercent);

        variants_->SelectEcuVariant(EcuVariant::Ja5);
        parameters_->FillMirrors();
        emulator_->ResetFlags();
        parameters_->ResetIgnition();
        trip_->ResetCurve();
        Timer1_->start();
        serComm1_->Open();
    } catch (const std::exception& e) {
        reporter_.Report(this, QString::fromStdString(e.what()));
    }
}

void TForm1::Timer1Timer() {
    lamps_.at(Lamp::UiLED1)->SetChecked(false);
    lamps_.at(Lamp::UiLED2)->SetChecked(false);
}

void TForm1::Timer2Timer() {
    lamps_.at(Lamp::UiLED3)->SetChecked(false);
    lamps_.at(Lamp::UiLED4)->SetChecked(false);
    lamps_.at(Lamp::UiLED5)->SetChecked(false);
    Timer2_->stop();
}

void TForm1::UiColBitBtn8Click() {
    for (int i = 0; i < CheckListBox1_->count(); ++i) {
        CheckListBox1_->item(i)->setCheckState(Qt::Unchecked);
    }
}

void TForm1::UiColBitBtn10Click() {
    if (settingsDialog_ != nullptr) {
        settingsDialog_->LoadAndShow();
    }
}

void TForm1::OpenWebAddress() {
    QDesktopServices::openUrl(QUrl(kWebAddress));
}

void TForm1::closeEvent(QCloseEvent* event) {
    // Closing the main window ends the program, also while the settings dialog is open.
    if (settingsDialog_ != nullptr) {
        settingsDialog_->close();
    }
    event->accept();
}
