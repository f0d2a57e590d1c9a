#include "console/TForm2.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <utility>

#include "console/EcuVariantTable.h"
#include "settings/ObdSettings.h"
#include "console/SerialPortNames.h"
#include "settings/SettingsStore.h"
#include "settings/StoredSettings.h"

namespace {

template <typename T>
T* Named(T* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

}  // namespace

TForm2::TForm2(SettingsStore& store, MessageReporter reporter, QWidget* parent, QString devRoot)
    : QDialog(parent),
      store_(store),
      reporter_(std::move(reporter)),
      devRoot_(std::move(devRoot)),
      Label1_(Named(new QLabel(QStringLiteral("Выбор COM порта:"), this), "Label1")),
      ComboBox1_(Named(new QComboBox(this), "ComboBox1")),
      Label2_(Named(new QLabel(QStringLiteral("Внимание: для работы с новым COM портом"), this), "Label2")),
      Label3_(Named(new QLabel(QStringLiteral("перезапустите программу"), this), "Label3")),
      CheckBox1_(Named(new QCheckBox(QStringLiteral("Разрешить колебания параметров"), this), "CheckBox1")),
      Label4_(Named(new QLabel(QStringLiteral("Процент колебания:"), this), "Label4")),
      Edit1_(Named(new QLineEdit(QStringLiteral("5"), this), "Edit1")),
      BitBtn1_(Named(new QPushButton(QStringLiteral("OK"), this), "BitBtn1")),
      BitBtn2_(Named(new QPushButton(QStringLiteral("Cancel"), this), "BitBtn2")),
      ObdLabel_(Named(new QLabel(QStringLiteral("Отвечать на запросы OBD-II:"), this), "LabelObd")) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Настройка"));
    setModal(false);

    ComboBox1_->setEditable(false);
    ComboBox1_->addItems(SerialPortNames::ClassicNames());
    ComboBox1_->setCurrentIndex(-1);
    ComboBox1_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    ComboBox1_->setMinimumContentsLength(12);
    Label2_->setWordWrap(false);

    BitBtn1_->setDefault(true);
    BitBtn1_->setAutoDefault(true);
    BitBtn2_->setAutoDefault(false);

    auto* percentRow = new QHBoxLayout;
    percentRow->addWidget(Label4_);
    percentRow->addWidget(Edit1_);
    percentRow->addStretch();
    Edit1_->setMaximumWidth(60);

    // One box per controller type, two columns in toolbar order.
    auto* obdGrid = new QGridLayout;
    obdGrid->setContentsMargins(0, 0, 0, 0);
    obdGrid->setVerticalSpacing(2);
    for (const EcuVariantInfo& info : EcuVariants()) {
        const auto index = static_cast<int>(info.variant);
        auto* box = new QCheckBox(info.caption, this);
        box->setObjectName(QStringLiteral("CheckBoxObd") + QLatin1String(ShortName(info.variant)));
        obdBoxes_[static_cast<std::size_t>(index)] = box;
        obdGrid->addWidget(box, index / 2, index % 2);
    }

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtn1_);
    buttons->addWidget(BitBtn2_);
    buttons->addStretch();

    auto* column = new QVBoxLayout(this);
    column->addWidget(Label1_);
    column->addWidget(ComboBox1_);
    column->addSpacing(4);
    column->addWidget(Label2_);
    column->addWidget(Label3_);
    column->addSpacing(4);
    column->addWidget(CheckBox1_);
    column->addLayout(percentRow);
    column->addSpacing(4);
    column->addWidget(ObdLabel_);
    column->addLayout(obdGrid);
    column->addLayout(BuildObdProtocolsGroup());
    column->addSpacing(4);
    column->addLayout(BuildTimingGroup());
    column->addLayout(BuildFramingGroup());
    column->addLayout(BuildSlowInitGroup());
    column->addStretch();
    column->addLayout(buttons);

    // Grown from 336 x 314 to what the line-behaviour groups need.
    setFixedSize(QSize(336, 314).expandedTo(sizeHint()));

    connect(BitBtn1_, &QPushButton::clicked, this, &TForm2::BitBtn1Click);
    connect(BitBtn2_, &QPushButton::clicked, this, &TForm2::BitBtn2Click);
}

QLayout* TForm2::BuildTimingGroup() {
    auto* group = Named(new QGroupBox(QStringLiteral("Время ответа контроллера"), this), "GroupBoxTiming");
    auto* grid = new QGridLayout(group);
    auto spin = [group](const char* name, int max) {
        auto* box = Named(new QSpinBox(group), name);
        box->setRange(0, max);
        box->setSuffix(QStringLiteral(" мс"));
        return box;
    };
    SpinBoxP2_ = spin("SpinBoxP2", ReplyTiming::kMaxP2Ms);
    SpinBoxP1_ = spin("SpinBoxP1", ReplyTiming::kMaxP1Ms);
    grid->addWidget(Named(new QLabel(QStringLiteral("P2, до ответа (0–%1):").arg(ReplyTiming::kMaxP2Ms), group),
                          "LabelP2"),
                    0, 0);
    grid->addWidget(SpinBoxP2_, 0, 1);
    grid->addWidget(Named(new QLabel(QStringLiteral("P1, между байтами (0–%1):").arg(ReplyTiming::kMaxP1Ms), group),
                          "LabelP1"),
                    1, 0);
    grid->addWidget(SpinBoxP1_, 1, 1);
    ButtonIso14230_ = Named(new QPushButton(QStringLiteral("ISO 14230"), group), "ButtonIso14230");
    ButtonIso14230_->setAutoDefault(false);
    grid->addWidget(ButtonIso14230_, 0, 2, 2, 1);
    connect(ButtonIso14230_, &QPushButton::clicked, this, &TForm2::ButtonIso14230Click);
    auto* row = new QHBoxLayout;
    row->addWidget(group);
    return row;
}

void TForm2::ButtonIso14230Click() {
    SpinBoxP2_->setValue(ReplyTiming::kIsoP2Ms);
    SpinBoxP1_->setValue(ReplyTiming::kIsoP1Ms);
}

QLayout* TForm2::BuildFramingGroup() {
    auto* group = Named(new QGroupBox(QStringLiteral("Кадры ответов 21, как у реальных контроллеров"), this),
                        "GroupBoxFraming");
    auto* grid = new QGridLayout(group);
    int index = 0;
    for (const EcuVariantInfo& type : EcuVariants()) {
        auto* box = new QCheckBox(type.caption, group);
        box->setObjectName(QStringLiteral("CheckBoxRealFraming") + QLatin1String(ShortName(type.variant)));
        grid->addWidget(box, index % 3, index / 3);
        realFraming_[type.variant] = box;
        ++index;
    }
    auto* row = new QHBoxLayout;
    row->addWidget(group);
    return row;
}

QLayout* TForm2::BuildSlowInitGroup() {
    auto* group = Named(new QGroupBox(QStringLiteral("Медленная инициализация (5 бод)"), this), "GroupBoxSlowInit");
    auto* grid = new QGridLayout(group);
    int index = 0;
    for (const EcuVariantInfo& type : EcuVariants()) {
        auto* box = new QCheckBox(type.caption, group);
        box->setObjectName(QStringLiteral("CheckBoxSlowInit") + QLatin1String(ShortName(type.variant)));
        grid->addWidget(box, index % 3, index / 3);
        slowInit_[type.variant] = box;
        ++index;
    }
    auto* row = new QHBoxLayout;
    row->addWidget(group);
    return row;
}

QLayout* TForm2::BuildObdProtocolsGroup() {
    auto* group = Named(new QGroupBox(QStringLiteral("Протоколы OBD-II"), this), "GroupBoxObdProtocols");
    auto* box = new QVBoxLayout(group);
    ObdFast_ = Named(new QCheckBox(QStringLiteral("ISO 14230-4 with fast init"), group), "CheckBoxObdFast");
    ObdSlow_ = Named(new QCheckBox(QStringLiteral("ISO 14230-4 with slow init"), group), "CheckBoxObdSlow");
    ObdIso9141_ = Named(new QCheckBox(QStringLiteral("ISO 9141-2"), group), "CheckBoxObdIso9141");
    for (QCheckBox* protocol : {ObdFast_, ObdSlow_, ObdIso9141_}) {
        box->addWidget(protocol);
    }
    auto* row = new QHBoxLayout;
    row->addWidget(group);
    return row;
}

void TForm2::FillPortList(const QString& storedName) {
    ComboBox1_->clear();
    ComboBox1_->addItems(SerialPortNames::ClassicNames());
    for (const QString& device : SerialPortNames::PresentDevices(devRoot_)) {
        if (ComboBox1_->findText(device, Qt::MatchExactly) < 0) {
            ComboBox1_->addItem(device);
        }
    }
    if (storedName.isEmpty()) {
        ComboBox1_->setCurrentIndex(-1);
        return;
    }
    // A device unplugged for now keeps its place, so OK does not wipe the stored port.
    int index = ComboBox1_->findText(storedName, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0) {
        ComboBox1_->addItem(storedName);
        index = ComboBox1_->count() - 1;
    }
    ComboBox1_->setCurrentIndex(index);
}

void TForm2::Load() {
    using namespace StoredSettings;
    FillPortList(store_.ReadString(kSection, kPortName, kDefaultPortName));
    CheckBox1_->setChecked(
        FluctuationEnabledFromText(store_.ReadString(kSection, kFluctuationEnabled, kDefaultFluctuationEnabled)));
    Edit1_->setText(store_.ReadString(kSection, kFluctuationPercent, kDefaultFluctuationPercent));
    // A bad stored value shows as its type's default, which is what the program uses.
    const ObdSettings::Stored obd = ObdSettings::Read(store_);
    for (std::size_t i = 0; i < obdBoxes_.size(); ++i) {
        obdBoxes_[i]->setChecked(obd.enabled.byType[i]);
    }
    // A stored time that is no whole number in range shows as 0, as start-up takes it.
    auto time = [this](const QString& key, int max) {
        const auto ms = ParseInteger(store_.ReadString(kSection, key, kDefaultReplyTime));
        return ms && *ms >= 0 && *ms <= max ? *ms : 0;
    };
    SpinBoxP2_->setValue(time(kReplyP2, ReplyTiming::kMaxP2Ms));
    SpinBoxP1_->setValue(time(kReplyP1, ReplyTiming::kMaxP1Ms));
    for (const auto& [variant, box] : realFraming_) {
        box->setChecked(RealFramingFromText(store_.ReadString(kSection, RealFramingKey(variant), kDefaultRealFraming)));
    }
    // As start-up takes them: a bad stored list shows as fast init alone.
    const StartupSettings stored = StartupSettings::Read(store_);
    for (const auto& [variant, box] : slowInit_) {
        box->setChecked(stored.slowInit.For(variant));
    }
    ObdFast_->setChecked(stored.obdProtocols.fast);
    ObdSlow_->setChecked(stored.obdProtocols.slow);
    ObdIso9141_->setChecked(stored.obdProtocols.iso9141);
}

void TForm2::LoadAndShow() {
    Load();
    show();
    raise();
    activateWindow();
}

void TForm2::BitBtn1Click() {
    using namespace StoredSettings;
    const auto percent = ParseInteger(Edit1_->text());
    if (!percent || *percent < 0 || *percent > 100) {
        reporter_.Report(this, QStringLiteral("Процент колебания должен быть целым числом от 0 до 100."));
        return;
    }
    const ObdProtocols protocols{ObdFast_->isChecked(), ObdSlow_->isChecked(), ObdIso9141_->isChecked()};
    if (!protocols.fast && !protocols.slow && !protocols.iso9141) {
        reporter_.Report(this, QStringLiteral("Выберите хотя бы один протокол OBD-II."));
        return;
    }
    const auto flag = [](const QCheckBox* box) { return box->isChecked() ? QStringLiteral("1") : QStringLiteral("0"); };
    // One write: a failure leaves the stored settings as they were.
    SettingsValues values;
    if (ComboBox1_->currentIndex() >= 0) {
        values.push_back({kSection, kPortName, ComboBox1_->currentText()});
    }
    values.push_back({kSection, kFluctuationEnabled, flag(CheckBox1_)});
    values.push_back({kSection, kFluctuationPercent, QString::number(*percent)});
    ObdSettings::PerVariant obd{};
    for (std::size_t i = 0; i < obdBoxes_.size(); ++i) {
        obd.byType[i] = obdBoxes_[i]->isChecked();
    }
    for (SettingsValue& v : ObdSettings::Values(obd)) {
        values.push_back(std::move(v));
    }
    values.push_back({kSection, kReplyP2, QString::number(SpinBoxP2_->value())});
    values.push_back({kSection, kReplyP1, QString::number(SpinBoxP1_->value())});
    for (const auto& [variant, box] : realFraming_) {
        values.push_back({kSection, RealFramingKey(variant), flag(box)});
    }
    for (const auto& [variant, box] : slowInit_) {
        values.push_back({kSection, SlowInitKey(variant), flag(box)});
    }
    values.push_back({kSection, kObdProtocols, QString::fromStdString(protocols.Text())});
    try {
        store_.WriteStrings(values);
    } catch (const SettingsStoreError& e) {
        reporter_.Report(this, e.Message());
        return;
    }
    hide();
    emit Stored();
}

void TForm2::BitBtn2Click() {
    hide();
}
