#include "console/TForm1.h"

#include <QApplication>
#include <QDateTime>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProxyStyle>
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
#include "console/ControlTable.h"
#include "driveview/CycleChoice.h"
#include "driveview/CycleDriver.h"
#include "driveview/CyclePanel.h"
#include "driveview/CycleReport.h"
#include "console/EcuVariantTable.h"
#include "monitorview/MonitorReportLines.h"
#include "settings/CycleTolerances.h"
#include "console/DeferredLogView.h"
#include "console/EcuVariantSelector.h"
#include "console/EngineRunClock.h"
#include "console/FontFit.h"
#include "console/InstrumentFactory.h"
#include "monitor/LinkMonitor.h"
#include "line/LinkTap.h"
#include "settings/MonitorGeometry.h"
#include "monitorview/MonitorWindow.h"
#include "settings/ObdSettings.h"
#include "console/ObdSupport.h"
#include "monitor/StampResolution.h"
#include "console/ParameterControls.h"
#include "console/PortKeeper.h"
#include "line/ReplyLine.h"
#include "settings/SettingsStore.h"
#include "settings/StoredSettings.h"
#include "console/TForm2.h"
#include "console/TripCheckPanel.h"
#include "emulator/EcuEmulator.h"
#include "emulator/TroubleCodeList.h"
#include "common/ErrorReport.h"
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

QLabel* Caption(QWidget* parent, const char* name, const QString& text, int x, int y, int w, int h) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(x, y, w, h);
    return label;
}

// How an instrument looks beyond what the control table says about its value.
struct Look {
    QString name1;
    QString name2;
    float from;
    float to;
    float start;
    int steps;
    int subSteps;
};

InstrumentSetup Setup(Mirror mirror, const Look& look) {
    const ControlTable::ValueRow& row = ControlTable::RowOf(mirror);
    return {row.instrument, look.name1, look.name2, QString::fromUtf8(row.unit), look.from, look.to, look.start,
            QString::fromLatin1(row.picture), look.steps, look.subSteps};
}

TUiDial* ValueDial(OperatorControls& controls, QWidget* tab, Mirror mirror, const Look& look, int x, int y, int w,
                   int h) {
    auto* dial = InstrumentFactory::Dial(tab, Setup(mirror, look), x, y, w, h);
    controls.AddInstrument(mirror, dial);
    return dial;
}

TUiVSlider* ValueSlider(OperatorControls& controls, QWidget* tab, Mirror mirror, const Look& look, int x, int y,
                        int w, int h) {
    auto* slider = InstrumentFactory::Slider(tab, Setup(mirror, look), x, y, w, h);
    controls.AddInstrument(mirror, slider);
    return slider;
}

// The value's mirror: a read-only field with its caption, both hidden, in a column on the tab.
void HiddenMirror(OperatorControls& controls, QWidget* tab, Mirror mirror, int row) {
    const ControlTable::ValueRow& table = ControlTable::RowOf(mirror);
    auto* caption = Caption(tab, (std::string("Label_") + table.edit).c_str(), QString::fromUtf8(table.caption), 400,
                            300 + row * 20, 240, 18);
    caption->setVisible(false);
    auto* edit = new QLineEdit(tab);
    controls.AddMirror(mirror, edit);
    edit->setGeometry(650, 300 + row * 20, 100, 18);
    edit->setReadOnly(true);
    edit->setVisible(false);
}

void ScenarioSwitch(OperatorControls& controls, QWidget* tab, ControlButton button, const QString& textOff,
                    const QString& textOn, int x, int y, int w, int h) {
    controls.AddButton(button,
                       InstrumentFactory::Switch(tab, ControlTable::RowOf(button).name, textOff, textOn, x, y, w, h));
}

void LampLed(OperatorControls& controls, QWidget* parent, Lamp lamp, const QString& caption, const QColor& on, int x,
             int y, int w, int h) {
    controls.AddLamp(lamp, InstrumentFactory::Led(parent, ControlTable::RowOf(lamp).name, caption, on, x, y, w, h));
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

// The window's style with less room beside each tab's caption.
class NarrowTabStyle : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
        const int value = QProxyStyle::pixelMetric(metric, option, widget);
        return metric == PM_TabBarTabHSpace ? std::min(value, 8) : value;
    }
};

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
        {&TForm1::BuildCycleTab, QStringLiteral("Ездовой цикл")},
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
    auto fitTabs = [tabBar](int width) {
        tabBar->setFont(FittingFont(
            tabBar->font(),
            [tabBar](const QFont& f) {
                tabBar->setFont(f);
                return tabBar->sizeHint().width();
            },
            width));
    };
    fitTabs(PageControl1_->width() - 4);
    BuildObdMark();
    // The mark sits at the tab row's free end; only where the tabs leave it no room do they
    // get a smaller font.
    const int markRoom = obdMark_->width() + 4;
    if (tabBar->sizeHint().width() > PageControl1_->width() - 4 - markRoom) {
        fitTabs(PageControl1_->width() - 4 - markRoom);
    }
    // Where even the smallest font leaves the captions too wide, the tabs' padding gives way,
    // and the font is fitted again from the window's own.
    if (tabBar->sizeHint().width() > PageControl1_->width() - 4 - markRoom) {
        auto* narrow = new NarrowTabStyle;
        narrow->setParent(tabBar);
        tabBar->setStyle(narrow);
        tabBar->setFont(QWidget::font());
        fitTabs(PageControl1_->width() - 4 - markRoom);
    }
    BuildBottomStrip();
    BuildTimers();
    BuildReplyLine();
    Bind(options);

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    FormCreate(options);
}

TForm1::~TForm1() {
    SetApplicationErrorReporter({});
    // The pacer and the port's threads stop before the emulator and the controls they reach.
    replyLine_->Stop();
    serComm1_->Close();
    if (monitorWindow_ != nullptr && monitorWindow_->isVisible()) {
        monitorWindow_->hide();  // keeps its place for the next run
    }
}

MonitorWindow* TForm1::ShowMonitor() {
    if (monitorWindow_ == nullptr) {
        monitorWindow_ = new MonitorWindow(*monitor_, this);
        QList<QRect> screens;
        for (const QScreen* screen : QGuiApplication::screens()) screens << screen->geometry();
        if (const auto rect = MonitorGeometry::Read(*store_, screens)) {
            monitorWindow_->setGeometry(*rect);
        }
        monitorWindow_->SetPortNote(portNote_);
        monitorWindow_->SetOnHide([this](const QRect& rect) {
            // A store that will not be written was reported at start-up.
            if (!store_->Refusal().isEmpty()) return;
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

void TForm1::BuildObdMark() {
    // The toolbar's free end holds the monitor button; the mark sits right below it, at the
    // end of the tab row.
    obdMark_ = new QLabel(QStringLiteral("OBD-II"), this);
    obdMark_->setObjectName(QStringLiteral("ObdMark"));
    obdMark_->setAlignment(Qt::AlignCenter);
    obdMark_->setToolTip(QStringLiteral("Контроллер отвечает на запросы OBD-II (ISO 14230-4)"));
    obdMark_->setStyleSheet(QStringLiteral(
        "QLabel { color: white; background: #2e7d32; border-radius: 3px; font-weight: bold; }"));
    obdMark_->ensurePolished();  // the bold of the style sheet counts in its width
    const int markWidth = obdMark_->sizeHint().width() + 8;
    obdMark_->setGeometry(width() - markWidth - 2, PageControl1_->y() + 2, markWidth, 18);
    obdMark_->raise();
    obdMark_->setVisible(false);
}

void TForm1::BuildTripComputerTab(QWidget* tab) {
    using namespace InstrumentFactory;
    ValueDial(controls_, tab, Mirror::Speed, {QStringLiteral(" "), QStringLiteral("Скорость"), 0, 250, 0, 5, 5}, 8, 8,
              150, 200);
    ValueSlider(controls_, tab, Mirror::FuelFlow, {QStringLiteral("Расход"), QStringLiteral("топлива"), 0, 40, 0, 4, 5},
                164, 8, 110, 289);
    auto* consumption = ValueDial(controls_, tab, Mirror::Consumption,
                                  {QStringLiteral("Путевой расход"), QStringLiteral("топлива"), 0, 40, 10, 4, 5}, 280,
                                  8, 150, 200);
    consumption->SetEnabled(false);
    ValueSlider(controls_, tab, Mirror::Injection,
                {QStringLiteral("Длит."), QStringLiteral("впрыска "), 0, 100, 0, 5, 5}, 436, 8, 110, 289);

    ScenarioSwitch(controls_, tab, ControlButton::Ignition, QStringLiteral("Зажигание выключено"),
                   QStringLiteral("Зажигание включено"), 552, 8, 211, 32);
    ScenarioSwitch(controls_, tab, ControlButton::Engine, QStringLiteral("Завести двигатель"),
                   QStringLiteral("Двигатель запущен"), 552, 48, 211, 32);
    ScenarioSwitch(controls_, tab, ControlButton::Trip, QStringLiteral("Старт подсчета параметров"),
                   QStringLiteral("Стоп расчета параметров"), 552, 104, 211, 32);
    ScenarioSwitch(controls_, tab, ControlButton::Curve, QStringLiteral("Запустить кривую"),
                   QStringLiteral("Кривая запущена"), 552, 144, 211, 32);

    auto* group = new QGroupBox(QStringLiteral("Проверка подсчета параметров"), tab);
    group->setObjectName(QStringLiteral("GroupBox1"));
    group->setGeometry(8, 308, 755, 112);
    Caption(group, "Label1", QStringLiteral("Время в пути:"), 12, 24, 100, 20);
    auto* vremy = new QLineEdit(QStringLiteral("0.0.0"), group);
    vremy->setObjectName(QStringLiteral("Vremy"));
    vremy->setEnabled(false);
    vremy->setGeometry(12, 46, 96, 24);
    tripControls_.Vremy = vremy;
    tripControls_.UiValueIndPut = Readout(group, "UiValueIndPut", QStringLiteral("Путь"), QStringLiteral("км"),
                                          QStringLiteral("#####0.000"), 122, 20, 150, 80);
    tripControls_.UiValueIndRashod = Readout(group, "UiValueIndRashod", QStringLiteral("Расход"), QStringLiteral("л"),
                                             QStringLiteral("#####0.000"), 280, 20, 150, 80);
    tripControls_.UiValueIndSredSkor = Readout(group, "UiValueIndSredSkor", QStringLiteral("Средняя скорость"),
                                               QStringLiteral("км/ч"), QStringLiteral("###0"), 438, 20, 150, 80);
    tripControls_.UiValueIndSredRash = Readout(group, "UiValueIndSredRash", QStringLiteral("Средний расход"),
                                               QStringLiteral("л/100"), QStringLiteral("####0.0"), 596, 20, 150, 80);

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
    auto* update = PushButton(tab, "UiColBitBtn6", QStringLiteral("Обновить ПО с сайта"), 552, 440, 211, 32);
    connect(update, &TUiBinGControl::OnClick, this, &TForm1::OpenWebAddress);
}

void TForm1::BuildTesterTab(QWidget* tab) {
    ValueSlider(controls_, tab, Mirror::Coolant,
                {QStringLiteral("Температура"), QStringLiteral("охл.жидкости"), -40, 160, 20, 5, 5}, 4, 4, 96, 289);
    ValueSlider(controls_, tab, Mirror::AirFlow,
                {QStringLiteral("Массовый"), QStringLiteral("расход воздуха"), 0, 100, 0, 5, 5}, 102, 4, 96, 289);
    ValueSlider(controls_, tab, Mirror::Throttle,
                {QStringLiteral("Положение"), QStringLiteral("дроселя"), 0, 100, 0, 5, 5}, 200, 4, 96, 289);
    ValueSlider(controls_, tab, Mirror::IdleValve,
                {QStringLiteral("Текушее"), QStringLiteral("положение РХХ"), 0, 250, 0, 5, 5}, 298, 4, 96, 289);
    auto* engineSpeed = ValueDial(controls_, tab, Mirror::EngineSpeed,
                                  {QStringLiteral(" "), QStringLiteral("Обороты ДВС"), 0, 10000, 0, 10, 2}, 4, 300, 128,
                                  205);
    engineSpeed->SetChangeSmall(4);
    ValueDial(controls_, tab, Mirror::Voltage,
              {QStringLiteral("Напряжение"), QStringLiteral("бортсети"), 5.2f, 17.9f, 11.3976f, 5, 2}, 134, 300, 128,
              205);
    ValueDial(controls_, tab, Mirror::IdleSpeed,
              {QStringLiteral("Текушее обороты"), QStringLiteral("ДВС на холостом ходу"), 0, 2500, 0, 10, 2}, 264, 300,
              132, 205);

    ScenarioSwitch(controls_, tab, ControlButton::Ignition2, QStringLiteral("Зажигание выключено"),
                   QStringLiteral("Зажигание включено"), 404, 4, 178, 32);
    ScenarioSwitch(controls_, tab, ControlButton::Engine2, QStringLiteral("Завести двигатель"),
                   QStringLiteral("Двигатель запущен"), 588, 4, 178, 32);

    Caption(tab, "LabelOn", QStringLiteral("ОN"), 406, 46, 24, 18);
    Caption(tab, "LabelOff", QStringLiteral("OFF"), 430, 46, 30, 18);
    struct Pair {
        Lamp on;
        Lamp off;
        QString caption;
        QColor offColour;
    };
    const Pair pairs[] = {
        {Lamp::ESUDCONTROL2ON, Lamp::ESUDCONTROL2OFF, QStringLiteral("Реле вентилятора охлаждения"), kRed},
        {Lamp::ESUDCONTROL1ON, Lamp::ESUDCONTROL1OFF, QStringLiteral("Реле вентилятора охлаждения №2"), kRed},
        {Lamp::ESUDCONTROL5ON, Lamp::ESUDCONTROL5OFF, QStringLiteral("Катушка зажигания 1-4 цилиндра"), kGreen},
        {Lamp::ESUDCONTROL6ON, Lamp::ESUDCONTROL6OFF, QStringLiteral("Катушка зажигания 2-3 цилиндра"), kGreen},
        {Lamp::ESUDCONTROL7ON, Lamp::ESUDCONTROL7OFF, QStringLiteral("Катушка зажигания 2-3 цилиндра (M7.9.7)"),
         kGreen},
        {Lamp::ESUDCONTROL8ON, Lamp::ESUDCONTROL8OFF, QStringLiteral("Катушка зажигания 1-4 цилиндра (M7.9.7)"),
         kGreen},
    };
    int y = 66;
    for (const Pair& p : pairs) {
        LampLed(controls_, tab, p.on, QString(), kGreen, 406, y, 22, 24);
        LampLed(controls_, tab, p.off, p.caption, p.offColour, 432, y, 334, 24);
        y += 28;
    }
    LampLed(controls_, tab, Lamp::UiLED3, QStringLiteral("Произведен сброс ошибок"), kRed, 406, y + 12, 300, 24);
    LampLed(controls_, tab, Lamp::UiLED4, QStringLiteral("Произведен сброс ЭБУ"), kRed, 406, y + 40, 300, 24);

    // The hidden column of mirrors, top to bottom.
    const Mirror column[] = {Mirror::Speed,     Mirror::Coolant,     Mirror::EngineSpeed, Mirror::Throttle,
                             Mirror::IdleValve, Mirror::FuelFlow,    Mirror::Consumption, Mirror::AirFlow,
                             Mirror::Voltage,   Mirror::IdleSpeed,   Mirror::Injection};
    int row = 0;
    for (const Mirror mirror : column) {
        HiddenMirror(controls_, tab, mirror, row++);
    }
    controls_.MirrorEdit(Mirror::Consumption)->setEnabled(false);
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
    LampLed(controls_, tab, Lamp::UiLED5, QStringLiteral("Произведен сброс ошибок"), kRed, 4, 502, 300, 24);
    controls_.AddButton(ControlButton::ClearDtc,
                        InstrumentFactory::PushButton(tab, ControlTable::RowOf(ControlButton::ClearDtc).name,
                                                      QStringLiteral("Очистка окна ошибок"), 585, 500, 180, 28));
}

void TForm1::BuildIdentificationTab(QWidget* tab) {
    struct Field {
        const char* label;
        IdentField field;
        QString caption;
        QString text;
    };
    // Two columns: the controller's own texts on the left, the supplier numbers on the right.
    const Field left[] = {
        {"Label6", IdentField::RomVersion, QStringLiteral("Версия ПЗУ:"), QStringLiteral("V5V13J02")},
        {"Label7", IdentField::EcuSerialNumber, QStringLiteral("Заводской номер ЭБУ:"),
         QStringLiteral("2112 -1411020-60")},
        {"Label8", IdentField::EngineId, QStringLiteral("Идентификатор двигателя:"), QStringLiteral("SAMARA-1.5L, 8V")},
        {"Label9", IdentField::ProgrammingDate, QStringLiteral("Дата программирования:"), QStringLiteral("05-07-1996")},
        {"Label12", IdentField::Vin, QStringLiteral("VIN номер автомобиля:"), QStringLiteral("XTA2110498765432109")},
    };
    const Field right[] = {
        {"Label10", IdentField::HardwareNumber, QStringLiteral("systemSupplierECUHardwareNumber:"),
         QStringLiteral("0261123456")},
        {"Label11", IdentField::SoftwareNumber, QStringLiteral("systemSupplierECUSoftwareNumber:"),
         QStringLiteral("1411000-00")},
    };
    auto column = [this, tab](const auto& fields, int labelX, int labelWidth, int editWidth) {
        int y = 20;
        for (const Field& f : fields) {
            Caption(tab, f.label, f.caption, labelX, y + 3, labelWidth, 20);
            auto* edit = new QLineEdit(f.text, tab);
            controls_.AddIdent(f.field, edit);
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

    Memo1_ = new DeferredLogView(kLogLines, tab);
    Memo1_->setObjectName(QStringLiteral("Memo1"));
    Memo1_->setGeometry(440, 320, 320, 110);
    Memo1_->setVisible(false);
}

void TForm1::BuildBottomStrip() {
    LampLed(controls_, this, Lamp::UiLED1, QStringLiteral("Запрос по К-линии"), kRed, 8, 607, 160, 26);
    LampLed(controls_, this, Lamp::UiLED2, QStringLiteral("Ответ по К-линии"), kBlue, 176, 607, 160, 26);
    auto* settings =
        InstrumentFactory::PushButton(this, "UiColBitBtn10", QStringLiteral("Настройка"), 352, 605, 110, 28);
    connect(settings, &TUiBinGControl::OnClick, this, &TForm1::UiColBitBtn10Click);
    auto* web = InstrumentFactory::PushButton(this, "UiColBitBtn5", kWebAddress, 476, 605, 296, 28);
    connect(web, &TUiBinGControl::OnClick, this, &TForm1::OpenWebAddress);
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

void TForm1::BuildReplyLine() {
    // The pacer tells of each reply from its own thread; the window hears of it in its loop.
    ReplyPacer::Events events;
    events.started = [this] {
        QMetaObject::invokeMethod(this, [this] { controls_.LampLed(Lamp::UiLED2)->SetChecked(true); }, Qt::QueuedConnection);
    };
    events.gone = [this] {
        QMetaObject::invokeMethod(
            this,
            [this] {
                try {
                    emulator_->ReplyGone();
                } catch (const std::exception& e) {
                    reporter_.Report(this, QString::fromStdString(e.what()));
                }
            },
            Qt::QueuedConnection);
    };
    events.failed = [this](const std::string& message) {
        const QString text = QString::fromStdString(message);
        QMetaObject::invokeMethod(this, [this, text] { reporter_.Report(this, text); }, Qt::QueuedConnection);
    };
    events.frameLeft = [this](const std::vector<std::uint8_t>& frame, ReplyPacer::Clock::time_point first,
                              ReplyPacer::Clock::time_point last) {
        QMetaObject::invokeMethod(
            this, [this, frame, first, last] { ReplyFrameLeft(frame.data(), frame.size(), first, last); },
            Qt::QueuedConnection);
    };
    events.timingNotice = [this](const std::string& message) {
        QMetaObject::invokeMethod(this, [this, message] { environment_->AppendLog(message); }, Qt::QueuedConnection);
    };
    events.frameRefused = [this](const std::vector<std::uint8_t>& frame, ReplyPacer::Clock::time_point at) {
        QMetaObject::invokeMethod(
            this, [this, frame, at] { monitor_->FrameRefused(frame.data(), frame.size(), at); }, Qt::QueuedConnection);
    };
    // The port's queued write takes its own lock, so the pacer may hand it bytes from its thread.
    replyLine_ = std::make_unique<ReplyLine>(
        [this](const std::uint8_t* bytes, int count) { return serComm1_->WriteBuf(bytes, count); }, std::move(events));
    replyLine_->SetOnFrameLeft(
        [this](const std::uint8_t* bytes, std::size_t n, ReplyLine::Clock::time_point first,
               ReplyLine::Clock::time_point last) { ReplyFrameLeft(bytes, n, first, last); });
    replyLine_->SetOnFrameRefused([this](const std::uint8_t* bytes, std::size_t n, ReplyLine::Clock::time_point at) {
        monitor_->FrameRefused(bytes, n, at);
    });
}

void TForm1::BuildPortKeeper() {
    PortKeeper::Events events;
    events.lost = [this](const QString& reason) {
        const QString name = QString::fromStdString(serComm1_->FormattedDeviceName());
        const QString text = QStringLiteral("Port %1 lost: %2. It is opened again as soon as it can be.").arg(name, reason);
        monitor_->PortLost(std::chrono::steady_clock::now());
        environment_->AppendLog(text.toStdString());
        portNote_ = QStringLiteral("порт %1 потерян: %2").arg(name, reason);
        if (monitorWindow_ != nullptr) monitorWindow_->SetPortNote(portNote_);
        reporter_.Note(text);
    };
    events.regained = [this] {
        const QString text =
            QStringLiteral("Port %1 open again.").arg(QString::fromStdString(serComm1_->FormattedDeviceName()));
        monitor_->PortBack(std::chrono::steady_clock::now());
        environment_->AppendLog(text.toStdString());
        portNote_.clear();
        if (monitorWindow_ != nullptr) monitorWindow_->SetPortNote(portNote_);
        reporter_.Note(text);
        UpdateStampResolution();
    };
    portKeeper_ = new PortKeeper(*serComm1_, std::move(events), this);
}

void TForm1::UpdateStampResolution() {
    monitor_->Report().SetResolution(StampResolution::ForOpenedPort(serComm1_->FormattedDeviceName()));
}

void TForm1::ReplyFrameLeft(const std::uint8_t* bytes, std::size_t n, std::chrono::steady_clock::time_point first,
                            std::chrono::steady_clock::time_point last) {
    monitor_->FrameSent(bytes, n, first, last);
    if (cycles_ != nullptr) {
        cycles_->ReplySent(std::chrono::duration_cast<std::chrono::milliseconds>(first.time_since_epoch()).count(),
                           bytes, n);
    }
    if (linkTap_ != nullptr) {
        linkTap_->FrameLeft(bytes, static_cast<int>(n), first);
    }
}

void TForm1::Bind(const ConsoleOptions& options) {
    variants_ = new EcuVariantSelector(ToolBar1_, controls_.IdentEdit(IdentField::RomVersion), this);
    parameters_ = new ParameterControls(controls_, format_, this);

    ConsoleEnvironment::Bindings b;
    b.port = serComm1_.get();
    b.linkTap = options.linkTap;
    linkTap_ = options.linkTap;
    b.ignitionButton = controls_.Button(ControlButton::Ignition);
    b.replies = replyLine_.get();
    b.variant = [this] { return variants_->Current(); };
    b.tripCheckRunning = [this] { return trip_->TripCheckRunning(); };
    b.framing = [this] { return framing_.For(variants_->Current()); };
    b.mirrors = controls_.Mirrors();
    b.identification = controls_.Idents();
    b.troubleCodes = CheckListBox1_;
    b.lamps = controls_.Lamps();
    b.log = Memo1_;
    b.resetTimer = Timer2_;
    engineRun_ = new EngineRunClock(
        controls_.Button(ControlButton::Engine),
        options.monotonicMs ? EngineRunClock::Clock(options.monotonicMs) : EngineRunClock::Clock(MonotonicMs),
        this);
    b.engineRunTime = [this] { return engineRun_->RunTime(); };
    b.clearTroubleCodes = [this] { UiColBitBtn8Click(); };
    // The emulator's moments (a 5-baud address heard, an ISO 9141-2 request ended, P3max) are
    // kept on the main thread's timer; the bytes those moments send leave through the pacer.
    wakeTimer_ = new QTimer(this);
    wakeTimer_->setObjectName(QStringLiteral("WakeTimer"));
    wakeTimer_->setSingleShot(true);
    wakeTimer_->setTimerType(Qt::PreciseTimer);
    b.wakeAt = [this](std::optional<std::chrono::steady_clock::time_point> moment) {
        if (!moment) {
            wakeTimer_->stop();
            return;
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(*moment - std::chrono::steady_clock::now());
        wakeTimer_->start(static_cast<int>(std::max<std::int64_t>(0, left.count())));
    };
    environment_ = std::make_unique<ConsoleEnvironment>(std::move(b), format_);
    emulator_ = std::make_unique<EcuEmulator>(*environment_);
    emulator_->SetLinkObserver(monitor_.get());
    monitor_->SetVariantSource([this] { return variants_->Current(); });
    BuildMonitorButton();
    obd_ = new ObdSupport(emulator_->Obd(), *variants_, obdMark_, this);

    TripCheckPanel::Controls t = tripControls_;
    t.UiColBitBtn7 = controls_.Button(ControlButton::Trip);
    t.UiColBitBtn11 = controls_.Button(ControlButton::Curve);
    t.speed = controls_.Instrument(Mirror::Speed);
    t.fuelFlow = controls_.Instrument(Mirror::FuelFlow);
    t.speedMirror = controls_.MirrorEdit(Mirror::Speed);
    t.fuelFlowMirror = controls_.MirrorEdit(Mirror::FuelFlow);
    t.Timer3 = Timer3_;
    t.Timer4 = Timer4_;
    t.Timer5 = Timer5_;
    trip_ = new TripCheckPanel(
        t, options.monotonicMs ? TripCheck::Clock(options.monotonicMs) : TripCheck::Clock(MonotonicMs),
        emulator_->GetFluctuation(), [this] { return parameters_->IgnitionOn(); },
        [this] { emulator_->Timer4Timer(); }, format_, this);
    connect(parameters_, &ParameterControls::IgnitionOffFromTripTab, trip_, &TripCheckPanel::StopTimers);
    BindCycles(options);

    connect(wakeTimer_, &QTimer::timeout, this, [this] {
        try {
            emulator_->TimeReached();
        } catch (const std::exception& e) {
            reporter_.Report(this, QString::fromStdString(e.what()));
        }
    });
    connect(Timer1_, &QTimer::timeout, this, &TForm1::Timer1Timer);
    connect(Timer2_, &QTimer::timeout, this, &TForm1::Timer2Timer);
    connect(controls_.Button(ControlButton::ClearDtc), &TUiBinGControl::OnClick, this, &TForm1::UiColBitBtn8Click);

    // Errors that escape a port event handler reach the operator like every other message.
    SetApplicationErrorReporter([this](const std::string& message) {
        const QString text = QString::fromStdString(message);
        QMetaObject::invokeMethod(
            this, [this, text] { reporter_.Report(this, text); },
            QThread::currentThread() == thread() ? Qt::DirectConnection : Qt::QueuedConnection);
    });
    serComm1_->SetOnRxChar([this](TSerCustomComm*, int count) {
        // The echo of a request's bytes is made before the request is whole: the monitor puts
        // its rows in time order once the bytes are worked through.
        monitor_->HoldRows();
        try {
            emulator_->SerComm1RxChar(count);
        } catch (...) {
            monitor_->ReleaseRows(false);
            throw;
        }
        monitor_->ReleaseRows(emulator_->SplitFramePending());
    });
    BuildPortKeeper();
}

void TForm1::FormCreate(const ConsoleOptions& options) {
    try {
        // A settings file this program cannot read is left whole; said once, here.
        if (const QString refusal = store_->Refusal(); !refusal.isEmpty()) {
            reporter_.Report(this, refusal);
        }
        const StartupSettings settings = StartupSettings::Read(*store_);
        framing_ = settings.framing;
        if (options.framing) {
            framing_.SetAll(*options.framing);
        }
        ReplyTiming timing = settings.timing;
        timing.p2Ms = options.p2Ms.value_or(timing.p2Ms);
        timing.p1Ms = options.p1Ms.value_or(timing.p1Ms);
        replyLine_->SetTiming(timing);
        const QString port = options.portOverride.isEmpty() ? settings.portName : options.portOverride;
        serComm1_->SetDeviceName(port.toStdString());
        UpdateStampResolution();
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
        // So is a bad stored reply time, and start-up goes on with 0 for it.
        for (const QString& error : settings.timingErrors) {
            reporter_.Report(this, error);
        }
        emulator_->GetFluctuation().Configure(settings.fluctuationEnabled, settings.fluctuationPercent);
        LoadObdSettings();
        if (options.obdOverride) {
            obd_->SetAll(*options.obdOverride);
        }
        if (!settings.obdProtocolsError.isEmpty()) {
            reporter_.Report(this, settings.obdProtocolsError);
        }
        ApplySlowInitSettings(settings);
        if (options.slowInitOverride) {
            emulator_->SlowInit().SetAll(*options.slowInitOverride);
        }
        if (options.obdProtocols) {
            emulator_->SetObdProtocols(*options.obdProtocols);
        }

        variants_->SelectEcuVariant(EcuVariant::Ja5);
        parameters_->FillMirrors();
        emulator_->ResetFlags();
        parameters_->ResetIgnition();
        trip_->ResetCurve();
        Timer1_->start();
        serComm1_->Open();
        // Opening may have lowered the adapter's latency timer: the stamps are finer now.
        UpdateStampResolution();
        // An adapter that will hold every reply back is worth one word, in the log and to the operator.
        if (const std::string notice = serComm1_->OpenNotice(); !notice.empty()) {
            environment_->AppendLog(notice);
            reporter_.Report(this, QString::fromStdString(notice));
        }
    } catch (const std::exception& e) {
        reporter_.Report(this, QString::fromStdString(e.what()));
    }
}

void TForm1::LoadObdSettings() {
    // A bad stored value is reported, and its type keeps the default.
    const ObdSettings::Stored stored = ObdSettings::Read(*store_);
    for (const QString& error : stored.errors) {
        reporter_.Report(this, error);
    }
    obd_->Apply(stored.enabled);
}

void TForm1::SetSettingsDialog(TForm2* dialog) {
    settingsDialog_ = dialog;
    if (dialog == nullptr) {
        return;
    }
    // The OBD-II choice, the reply timing and the framing of the dialog hold at once; the port
    // and the fluctuation wait for the next start.
    connect(dialog, &TForm2::Stored, this, [this] {
        obd_->Apply(ObdSettings::Read(*store_).enabled);
        const StartupSettings stored = StartupSettings::Read(*store_);
        replyLine_->SetTiming(stored.timing);
        framing_ = stored.framing;
        ApplySlowInitSettings(stored);
    });
}

void TForm1::ApplySlowInitSettings(const StartupSettings& settings) {
    emulator_->SlowInit() = settings.slowInit;
    emulator_->SetObdProtocols(settings.obdProtocols);
}

void TForm1::Timer1Timer() {
    // A frame left unfinished this long is dropped when the next bytes come: nothing it could
    // precede waits for it any longer.
    monitor_->ReleaseRowsHeldLongerThan(std::chrono::milliseconds(500));
    controls_.LampLed(Lamp::UiLED1)->SetChecked(false);
    controls_.LampLed(Lamp::UiLED2)->SetChecked(false);
}

void TForm1::Timer2Timer() {
    controls_.LampLed(Lamp::UiLED3)->SetChecked(false);
    controls_.LampLed(Lamp::UiLED4)->SetChecked(false);
    controls_.LampLed(Lamp::UiLED5)->SetChecked(false);
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

void TForm1::BindCycles(const ConsoleOptions& options) {
    CycleDriver::Console console;
    console.set = [this](Mirror mirror, double value) {
        controls_.Instrument(mirror)->SetValue(static_cast<float>(value));
    };
    console.startEngine = [this] {
        if (!controls_.Button(ControlButton::Engine)->Checked()) {
            controls_.Button(ControlButton::Engine)->Click();
        }
    };
    console.restartTripCheck = [this] {
        TUiColBitBtn* trip = controls_.Button(ControlButton::Trip);
        if (trip->Checked()) {
            trip->Click();
        }
        trip->Click();
    };
    console.countTrip = [this] { trip_->Timer3Timer(); };
    console.stopTripCheck = [this] {
        if (controls_.Button(ControlButton::Trip)->Checked()) {
            controls_.Button(ControlButton::Trip)->Click();
        }
    };
    console.variant = [this] { return variants_->Current(); };
    cycles_ = new CycleDriver(std::move(console),
                              options.monotonicMs ? CycleDriver::Clock(options.monotonicMs) : CycleDriver::Clock(MonotonicMs),
                              this);
    trip_->SetOnCounted([this](const TripTotals& sinceStart) { cycles_->TripCounted(sinceStart); });

    CyclePanel::Actions actions;
    actions.start = [this](const QString& wordOrPath) { return StartCycle(wordOrPath); };
    actions.saveReport = [this](const QString& path) { return SaveCycleReport(path); };
    actions.storeTolerances = [this](const Tolerances& tolerances) {
        try {
            CycleTolerances::Write(*store_, tolerances);
        } catch (const std::exception& e) {
            reporter_.Report(this, QString::fromStdString(e.what()));
        }
    };
    actions.tell = [this](const QString& message) { reporter_.Report(this, message); };
    cycles_->Run().SetTolerances(CycleTolerances::Read(*store_));
    cyclePanel_ = new CyclePanel(cyclePage_, *cycles_, std::move(actions), this);
}

QString TForm1::StartCycle(const QString& wordOrPath) {
    QString error;
    std::optional<DriveCycle> cycle = CycleChoice::Load(wordOrPath, &error);
    if (!cycle) {
        return error;
    }
    cycles_->Start(std::move(*cycle));
    return {};
}

QString TForm1::SaveCycleReport(const QString& path) {
    CycleReportHeader header;
    header.device = cyclePanel_->DeviceDescription();
    header.date = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    const EcuVariant variant = variants_->Current();
    header.controllerType = EcuVariantInfoOf(variant).caption;
    const ReplyTiming timing = replyLine_->Timing();
    header.lineOptions = QStringLiteral("P2 %1 мс, P1 %2 мс; кадры ответа 21: %3; OBD-II: %4")
                             .arg(timing.p2Ms)
                             .arg(timing.p1Ms)
                             .arg(framing_.For(variant) == ReplyFraming::Real ? QStringLiteral("длинный заголовок")
                                                                              : QStringLiteral("короткий заголовок"))
                             .arg(obd_->Enabled(variant) ? QStringLiteral("отвечает") : QStringLiteral("не отвечает"));
    for (const MonitorReportLines::Line& line : MonitorReportLines::Lines(monitor_->Report().Compute())) {
        QString value = line.value;
        if (!line.limit.isEmpty()) {
            value += QStringLiteral(" (норма %1)").arg(line.limit);
        }
        if (line.graded) {
            value += QStringLiteral(": ") + MonitorReportLines::MarkText(line.mark);
        }
        header.protocol.emplace_back(line.name, value);
    }
    header.protocolJson = monitor_->Report().Json();
    return ::SaveCycleReport(path, cycles_->Run(), header);
}
