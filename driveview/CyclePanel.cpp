#include "driveview/CyclePanel.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "driveview/CycleDriver.h"
#include "driveview/CycleTexts.h"
#include "drive/StandardCycles.h"
#include "settings/CycleTolerances.h"

namespace {

using CycleTexts::Number;

// A figure typed with a point or a comma; nothing for an empty field.
std::optional<double> Typed(const QLineEdit* edit, bool* bad) {
    const QString text = edit->text().trimmed().replace(QLatin1Char(','), QLatin1Char('.'));
    if (text.isEmpty()) {
        return std::nullopt;
    }
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || value < 0) {
        *bad = true;
        return std::nullopt;
    }
    return value;
}

void SetCell(QTableWidget* table, int row, int column, const QString& text) {
    QTableWidgetItem* item = table->item(row, column);
    if (item == nullptr) {
        item = new QTableWidgetItem;
        item->setTextAlignment(column == 0 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignRight | Qt::AlignVCenter);
        table->setItem(row, column, item);
    }
    if (item->text() != text) {
        item->setText(text);
    }
}

QTableWidget* Table(QWidget* page, const char* name, const QStringList& header) {
    auto* table = new QTableWidget(0, header.size(), page);
    table->setObjectName(QLatin1String(name));
    table->setHorizontalHeaderLabels(header);
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    table->verticalHeader()->setDefaultSectionSize(18);
    return table;
}

}  // namespace

CyclePanel::CyclePanel(QWidget* page, CycleDriver& driver, Actions actions, QObject* parent)
    : QObject(parent), driver_(driver), actions_(std::move(actions)) {
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(4);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Цикл:"), page));
    choice_ = new QComboBox(page);
    choice_->setObjectName(QStringLiteral("CycleChoice"));
    choice_->addItem(QStringLiteral("Встроенная кривая"), QStringLiteral("curve"));
    for (const StandardCycle& standard : StandardCycles()) {
        choice_->addItem(QString::fromUtf8(standard.title), QString::fromLatin1(standard.word));
    }
    choice_->addItem(QStringLiteral("Из файла…"), QString());
    top->addWidget(choice_, 1);
    start_ = new QPushButton(QStringLiteral("Пуск"), page);
    start_->setObjectName(QStringLiteral("CycleStart"));
    stop_ = new QPushButton(QStringLiteral("Стоп"), page);
    stop_->setObjectName(QStringLiteral("CycleStop"));
    top->addWidget(start_);
    top->addWidget(stop_);
    layout->addLayout(top);

    progress_ = new QProgressBar(page);
    progress_->setObjectName(QStringLiteral("CycleProgress"));
    progress_->setRange(0, 1000);
    progress_->setTextVisible(true);
    layout->addWidget(progress_);

    references_ = Table(page, "CycleReferences",
                        {QStringLiteral("Фаза"), QStringLiteral("Путь п, км"), QStringLiteral("Путь у, км"),
                         QStringLiteral("Топливо п, л"), QStringLiteral("Топливо у, л"), QStringLiteral("Время"),
                         QStringLiteral("Ср. скор. п/у"), QStringLiteral("Ср. расх. п/у")});
    layout->addWidget(references_, 2);
    layout->addWidget(new QLabel(QStringLiteral("п — эталон пульта (проверка подсчёта); у — вид устройства: что должен "
                                                "показать исправный БК по полученным ответам"),
                                 page));
    polls_ = new QLabel(page);
    polls_->setObjectName(QStringLiteral("CyclePolls"));
    polls_->setWordWrap(true);
    layout->addWidget(polls_);

    auto* entry = new QGridLayout;
    const QString names[] = {QStringLiteral("Путь, км*"), QStringLiteral("Топливо, л*"), QStringLiteral("Ср. скорость, км/ч"),
                             QStringLiteral("Ср. расход, л/100 км"), QStringLiteral("Время в пути, с")};
    const char* objectNames[] = {"CycleDeviceDistance", "CycleDeviceFuel", "CycleDeviceAvgSpeed",
                                 "CycleDeviceAvgConsumption", "CycleDeviceTime"};
    entry->addWidget(new QLabel(QStringLiteral("Показания устройства:"), page), 0, 0, 1, 5);
    for (int i = 0; i < 5; ++i) {
        entry->addWidget(new QLabel(names[i], page), 1, i);
        entries_[i] = new QLineEdit(page);
        entries_[i]->setObjectName(QLatin1String(objectNames[i]));
        entry->addWidget(entries_[i], 2, i);
    }
    auto* accept = new QPushButton(QStringLiteral("Принять показания"), page);
    accept->setObjectName(QStringLiteral("CycleEnter"));
    entry->addWidget(accept, 2, 5);
    entry->addWidget(new QLabel(QStringLiteral("Допуск пути, %"), page), 3, 0);
    distanceTolerance_ = new QLineEdit(page);
    distanceTolerance_->setObjectName(QStringLiteral("CycleToleranceDistance"));
    entry->addWidget(distanceTolerance_, 3, 1);
    entry->addWidget(new QLabel(QStringLiteral("Допуск топлива, %"), page), 3, 2);
    fuelTolerance_ = new QLineEdit(page);
    fuelTolerance_->setObjectName(QStringLiteral("CycleToleranceFuel"));
    entry->addWidget(fuelTolerance_, 3, 3);
    layout->addLayout(entry);

    verdict_ = new QLabel(page);
    verdict_->setObjectName(QStringLiteral("CycleVerdict"));
    QFont bold = verdict_->font();
    bold.setBold(true);
    bold.setPointSize(bold.pointSize() + 2);
    verdict_->setFont(bold);
    layout->addWidget(verdict_);
    figures_ = Table(page, "CycleFigures",
                     {QStringLiteral("Величина"), QStringLiteral("Показано"), QStringLiteral("Вид устр."),
                      QStringLiteral("Ошибка, %"), QStringLiteral("Пульт"), QStringLiteral("Ошибка, %"),
                      QStringLiteral("Допуск, %")});
    layout->addWidget(figures_, 1);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(new QLabel(QStringLiteral("Устройство:"), page));
    device_ = new QLineEdit(page);
    device_->setObjectName(QStringLiteral("CycleDevice"));
    device_->setPlaceholderText(QStringLiteral("изготовитель, модель, серийный номер, версия ПО"));
    bottom->addWidget(device_, 1);
    auto* save = new QPushButton(QStringLiteral("Сохранить отчёт"), page);
    save->setObjectName(QStringLiteral("CycleSaveReport"));
    bottom->addWidget(save);
    layout->addLayout(bottom);

    connect(start_, &QPushButton::clicked, this, &CyclePanel::Start);
    connect(stop_, &QPushButton::clicked, &driver_, &CycleDriver::Stop);
    connect(accept, &QPushButton::clicked, this, &CyclePanel::EnterFigures);
    connect(distanceTolerance_, &QLineEdit::editingFinished, this, &CyclePanel::ToleranceEdited);
    connect(fuelTolerance_, &QLineEdit::editingFinished, this, &CyclePanel::ToleranceEdited);
    connect(save, &QPushButton::clicked, this, &CyclePanel::SaveReport);
    connect(&driver_, &CycleDriver::Changed, this, &CyclePanel::Refresh);
    ShowTolerances(driver_.Run().GetTolerances());
    Refresh();
}

QString CyclePanel::DeviceDescription() const {
    return device_->text();
}

void CyclePanel::ShowTolerances(const Tolerances& tolerances) {
    distanceTolerance_->setText(QString::number(tolerances.distancePct));
    fuelTolerance_->setText(QString::number(tolerances.fuelPct));
}

void CyclePanel::Start() {
    QString word = choice_->currentData().toString();
    if (word.isEmpty()) {
        word = QFileDialog::getOpenFileName(choice_, QStringLiteral("Файл ездового цикла"), QString(),
                                            QStringLiteral("Ездовой цикл (*.csv);;Все файлы (*)"));
        if (word.isEmpty()) {
            return;
        }
    }
    const QString error = actions_.start(word);
    if (!error.isEmpty()) {
        actions_.tell(error);
    }
}

void CyclePanel::EnterFigures() {
    bool bad = false;
    std::optional<double> typed[5];
    for (int i = 0; i < 5; ++i) {
        typed[i] = Typed(entries_[i], &bad);
    }
    if (bad || !typed[0] || !typed[1]) {
        actions_.tell(QStringLiteral("Введите путь и топливо по показаниям устройства (числа не меньше 0)."));
        return;
    }
    EnteredFigures figures;
    figures.distanceKm = *typed[0];
    figures.fuelL = *typed[1];
    figures.averageSpeedKmh = typed[2];
    figures.averageConsumption = typed[3];
    figures.travelTimeS = typed[4];
    driver_.Run().Enter(figures);
    Refresh();
}

void CyclePanel::ToleranceEdited() {
    bool bad = false;
    const auto distance = Typed(distanceTolerance_, &bad);
    const auto fuel = Typed(fuelTolerance_, &bad);
    if (bad || !distance || !fuel || !CycleTolerances::Usable(*distance) || !CycleTolerances::Usable(*fuel)) {
        ShowTolerances(driver_.Run().GetTolerances());
        return;
    }
    const Tolerances tolerances{*distance, *fuel};
    if (tolerances.distancePct == driver_.Run().GetTolerances().distancePct &&
        tolerances.fuelPct == driver_.Run().GetTolerances().fuelPct) {
        return;
    }
    driver_.Run().SetTolerances(tolerances);
    actions_.storeTolerances(tolerances);
    Refresh();
}

void CyclePanel::SaveReport() {
    const QString path = QFileDialog::getSaveFileName(choice_, QStringLiteral("Отчёт о ездовом цикле"), QString(),
                                                      QStringLiteral("PDF (*.pdf)"));
    if (path.isEmpty()) {
        return;
    }
    const QString error = actions_.saveReport(path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)
                                                  ? path
                                                  : path + QStringLiteral(".pdf"));
    if (!error.isEmpty()) {
        actions_.tell(error);
    }
}

void CyclePanel::Refresh() {
    const CycleRun& run = driver_.Run();
    const bool running = run.GetState() == CycleRun::State::Running;
    start_->setEnabled(!running);
    choice_->setEnabled(!running);
    stop_->setEnabled(running);
    if (!run.Cycle()) {
        progress_->setValue(0);
        progress_->setFormat(QStringLiteral("цикл не запущен"));
        verdict_->setText(CycleTexts::VerdictText(run.CurrentVerdict()));
        return;
    }
    const DriveCycle& cycle = *run.Cycle();
    const double totalS = static_cast<double>(cycle.DurationMs()) / 1000.0;
    const double elapsedS = static_cast<double>(run.ElapsedMs()) / 1000.0;
    progress_->setValue(totalS > 0 ? static_cast<int>(elapsedS / totalS * 1000) : 0);
    progress_->setFormat(QStringLiteral("%1 · %2 · прошло %3 · осталось %4 · %5")
                             .arg(QString::fromStdString(cycle.Name()),
                                  QString::fromStdString(cycle.Phases()[static_cast<std::size_t>(run.Phase())].name),
                                  CycleTexts::Clock(elapsedS), CycleTexts::Clock(totalS - elapsedS),
                                  CycleTexts::State(run.GetState())));

    const int phases = static_cast<int>(cycle.Phases().size());
    references_->setRowCount(phases + 1);
    for (int i = 0; i <= phases; ++i) {
        const CycleRun::References r = i < phases ? run.PhaseReferences(i) : run.Total();
        const QString cells[] = {
            i < phases ? QString::fromStdString(cycle.Phases()[static_cast<std::size_t>(i)].name) : QStringLiteral("Итого"),
            Number(r.console.distanceKm, 3), Number(r.device.distanceKm, 3), Number(r.console.fuelL, 3),
            Number(r.device.fuelL, 3), CycleTexts::Clock(static_cast<double>(r.console.elapsedMs) / 1000.0),
            Number(r.console.AverageSpeedKmh(), 1) + QStringLiteral(" / ") + Number(r.device.AverageSpeedKmh(), 1),
            Number(r.console.AverageConsumption(), 2) + QStringLiteral(" / ") + Number(r.device.AverageConsumption(), 2)};
        for (int c = 0; c < 8; ++c) {
            SetCell(references_, i, c, cells[c]);
        }
    }
    const CycleRun::References total = run.Total();
    auto share = [](double difference, double of) {
        return of != 0.0 ? QStringLiteral(" (%1 %)").arg(difference / of * 100, 0, 'f', 2) : QString();
    };
    const double km = total.device.distanceKm - total.console.distanceKm;
    const double litres = total.device.fuelL - total.console.fuelL;
    polls_->setText(QStringLiteral("Разница у − п: путь %1 км%2, топливо %3 л%4 — округление и выборка. ")
                        .arg(km, 0, 'f', 3)
                        .arg(share(km, total.console.distanceKm))
                        .arg(litres, 0, 'f', 3)
                        .arg(share(litres, total.console.fuelL)) +
                    CycleTexts::PollText(run.Device()));

    const Verdict verdict = run.CurrentVerdict();
    verdict_->setText(QStringLiteral("Вердикт: ") + CycleTexts::VerdictText(verdict));
    verdict_->setStyleSheet(verdict.state == VerdictState::Pass   ? QStringLiteral("color: #007000")
                            : verdict.state == VerdictState::Fail ? QStringLiteral("color: #c00000")
                                                                  : QString());
    figures_->setRowCount(static_cast<int>(verdict.checks.size()));
    for (int i = 0; i < static_cast<int>(verdict.checks.size()); ++i) {
        const FigureCheck& c = verdict.checks[static_cast<std::size_t>(i)];
        const QString cells[] = {CycleTexts::FigureName(c.name), Number(c.entered, 3), Number(c.device, 3),
                                 Number(c.errorVsDevicePct, 2), Number(c.console, 3), Number(c.errorVsConsolePct, 2),
                                 c.tolerancePct ? QStringLiteral("±") + Number(c.tolerancePct, 2) : QString()};
        for (int col = 0; col < 7; ++col) {
            SetCell(figures_, i, col, cells[col]);
        }
    }
}
