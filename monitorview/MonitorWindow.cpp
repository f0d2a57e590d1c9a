#include "monitorview/MonitorWindow.h"
#include "monitorview/MonitorReportLines.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "monitorview/MonitorModel.h"
#include "monitor/MonitorTraceFile.h"
#include "protocol/FrameMeaning.h"

namespace {

const QString kTitle = QStringLiteral("Монитор K-линии");

// The services the filter offers, in the order a session uses them.
constexpr std::uint8_t kFilterServices[] = {0x81, 0x82, 0x83, 0x10, 0x3E, 0x21, 0x1A, 0x18,
                                            0x14, 0x30, 0x11, 0x01, 0x03, 0x04, 0x07, 0x09};

}  // namespace

MonitorWindow::MonitorWindow(LinkMonitor& monitor, QWidget* parent)
    : QWidget(parent, Qt::Window), monitor_(monitor) {
    Build(true);
}

MonitorWindow::MonitorWindow(std::unique_ptr<LinkMonitor> offline, const QString& fileName, QWidget* parent,
                             std::uint64_t linesNotUnderstood)
    : QWidget(parent, Qt::Window), owned_(std::move(offline)), monitor_(*owned_), linesNotUnderstood_(linesNotUnderstood) {
    Build(false);
    setWindowTitle(kTitle + QStringLiteral(" — ") + fileName);
    setAttribute(Qt::WA_DeleteOnClose);
    Refresh();
}

MonitorWindow::~MonitorWindow() = default;

void MonitorWindow::Build(bool live) {
    setObjectName(live ? QStringLiteral("MonitorWindow") : QStringLiteral("MonitorWindowOffline"));
    setWindowTitle(kTitle);
    resize(1000, 560);

    pause_ = new QPushButton(QStringLiteral("Пауза"), this);
    pause_->setObjectName(QStringLiteral("MonitorPause"));
    pause_->setCheckable(true);
    auto* clear = new QPushButton(QStringLiteral("Очистить"), this);
    clear->setObjectName(QStringLiteral("MonitorClear"));
    direction_ = new QComboBox(this);
    direction_->setObjectName(QStringLiteral("MonitorDirection"));
    direction_->addItems({QStringLiteral("Все направления"), QStringLiteral("тестер → ЭБУ"),
                          QStringLiteral("ЭБУ → тестер"), QStringLiteral("События")});
    service_ = new QComboBox(this);
    service_->setObjectName(QStringLiteral("MonitorService"));
    service_->addItem(QStringLiteral("Все службы"));
    for (const std::uint8_t sid : kFilterServices) {
        service_->addItem(QStringLiteral("%1 %2")
                              .arg(sid, 2, 16, QLatin1Char('0'))
                              .toUpper()
                              .arg(QString::fromStdString(FrameMeaning::ServiceName(sid))),
                          sid);
    }
    follow_ = new QCheckBox(QStringLiteral("Следить за новыми"), this);
    follow_->setObjectName(QStringLiteral("MonitorFollow"));
    follow_->setChecked(true);
    auto* save = new QPushButton(QStringLiteral("Сохранить…"), this);
    save->setObjectName(QStringLiteral("MonitorSave"));
    auto* open = new QPushButton(QStringLiteral("Открыть…"), this);
    open->setObjectName(QStringLiteral("MonitorOpen"));

    auto* controls = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{pause_, clear, direction_, service_, follow_}) controls->addWidget(w);
    controls->addStretch(1);
    controls->addWidget(save);
    controls->addWidget(open);

    model_ = new MonitorModel(monitor_.Ring(), this);
    model_->SetStartUs(live || monitor_.Ring().Size() == 0 ? monitor_.StartUs()
                                                           : monitor_.Ring().At(monitor_.Ring().FirstNumber()).atUs);
    filter_ = new MonitorFilter(model_, this);
    view_ = new QTableView(this);
    view_->setObjectName(QStringLiteral("MonitorView"));
    view_->setModel(filter_);
    view_->setWordWrap(false);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->verticalHeader()->setVisible(false);
    // Rows of one height let the view place 100 000 of them without measuring each.
    view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().height() + 4);
    view_->horizontalHeader()->setStretchLastSection(true);
    const int widths[] = {70, 70, 100, 200};
    for (int c = 0; c < 4; ++c) view_->setColumnWidth(c, widths[c]);

    report_ = new QTableWidget(0, 4, this);
    report_->setObjectName(QStringLiteral("MonitorReport"));
    report_->setHorizontalHeaderLabels({QStringLiteral("Показатель"), QStringLiteral("Значение"),
                                        QStringLiteral("Предел ISO 14230-2"), QStringLiteral("Оценка")});
    report_->verticalHeader()->setVisible(false);
    report_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    report_->horizontalHeader()->setStretchLastSection(true);
    auto* clearReport = new QPushButton(QStringLiteral("Сбросить отчёт"), this);
    clearReport->setObjectName(QStringLiteral("MonitorClearReport"));
    auto* reportPane = new QWidget(this);
    auto* reportLayout = new QVBoxLayout(reportPane);
    reportLayout->setContentsMargins(0, 0, 0, 0);
    auto* reportTitle = new QLabel(QStringLiteral("Отчёт о тестере"), reportPane);
    QFont bold = reportTitle->font();
    bold.setBold(true);
    reportTitle->setFont(bold);
    reportLayout->addWidget(reportTitle);
    reportLayout->addWidget(report_);
    reportLayout->addWidget(clearReport);

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->addWidget(view_);
    splitter->addWidget(reportPane);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("MonitorStatus"));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(splitter, 1);
    layout->addWidget(status_);

    connect(pause_, &QPushButton::toggled, this, [this](bool paused) {
        model_->SetPaused(paused);
        Refresh();
    });
    connect(clear, &QPushButton::clicked, this, [this] {
        monitor_.ClearRows();
        model_->SetStartUs(monitor_.StartUs());
        pause_->setChecked(false);
        Refresh();
    });
    connect(clearReport, &QPushButton::clicked, this, [this] {
        monitor_.ClearReport();
        RefreshReport();
    });
    connect(direction_, qOverload<int>(&QComboBox::currentIndexChanged), this, &MonitorWindow::ApplyFilter);
    connect(service_, qOverload<int>(&QComboBox::currentIndexChanged), this, &MonitorWindow::ApplyFilter);
    connect(save, &QPushButton::clicked, this, &MonitorWindow::Save);
    connect(open, &QPushButton::clicked, this, &MonitorWindow::Open);

    if (live) {
        timer_ = new QTimer(this);
        timer_->setInterval(kRefreshMs);
        connect(timer_, &QTimer::timeout, this, &MonitorWindow::Refresh);
    } else {
        pause_->setEnabled(false);
        follow_->setChecked(false);
    }
}

void MonitorWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (timer_ != nullptr) timer_->start();
    Refresh();
}

void MonitorWindow::hideEvent(QHideEvent* event) {
    if (timer_ != nullptr) timer_->stop();
    if (onHide_) onHide_(geometry());
    QWidget::hideEvent(event);
}

void MonitorWindow::Refresh() {
    model_->CatchUp();
    if (follow_->isChecked() && !model_->Paused()) view_->scrollToBottom();
    RefreshReport();
    const MonitorRing& ring = monitor_.Ring();
    status_->setText(QStringLiteral("Строк в буфере: %1 из %2%3%4%5")
                         .arg(ring.Size())
                         .arg(ring.Capacity())
                         .arg(model_->Paused() ? QStringLiteral(" · пауза: показ остановлен, буфер пополняется")
                                               : QString())
                         .arg(linesNotUnderstood_ > 0
                                  ? QStringLiteral(" · %1 lines not understood").arg(linesNotUnderstood_)
                                  : QString(),
                              portNote_.isEmpty() ? QString() : QStringLiteral(" · ") + portNote_));
}

void MonitorWindow::RefreshReport() {
    const std::vector<MonitorReportLines::Line> lines = MonitorReportLines::Lines(monitor_.Report().Compute());
    report_->setRowCount(static_cast<int>(lines.size()));
    for (int r = 0; r < static_cast<int>(lines.size()); ++r) {
        const MonitorReportLines::Line& line = lines[static_cast<std::size_t>(r)];
        const QString cells[] = {line.name, line.value, line.limit, line.graded ? MonitorReportLines::MarkText(line.mark) : QString()};
        const bool outside = line.mark == DeviceReport::Mark::Outside || line.mark == DeviceReport::Mark::WrittenAtOnce;
        for (int c = 0; c < 4; ++c) {
            QTableWidgetItem* item = report_->item(r, c);
            if (item == nullptr) {
                item = new QTableWidgetItem;
                report_->setItem(r, c, item);
            }
            if (item->text() != cells[c]) item->setText(cells[c]);
            item->setForeground(outside && c >= 1 ? QBrush(QColor(200, 0, 0)) : QBrush());
        }
    }
    for (int c = 0; c < 3; ++c) report_->resizeColumnToContents(c);
}

void MonitorWindow::ApplyFilter() {
    static const MonitorFilter::Direction kDirections[] = {
        MonitorFilter::Direction::All, MonitorFilter::Direction::Requests, MonitorFilter::Direction::Replies,
        MonitorFilter::Direction::Events};
    filter_->SetDirection(kDirections[std::max(0, direction_->currentIndex())]);
    const QVariant sid = service_->currentData();
    filter_->SetService(sid.isValid() ? std::optional<std::uint8_t>(static_cast<std::uint8_t>(sid.toUInt()))
                                      : std::nullopt);
}

bool MonitorWindow::SaveTo(const QString& path, bool csv, QString* error) {
    std::string message;
    if (!MonitorTraceFile::Save(path.toStdString(), model_->Shown(), monitor_.Report().Resolution(),
                                csv ? MonitorTraceFile::Format::Csv : MonitorTraceFile::Format::Text, &message)) {
        *error = QString::fromStdString(message);
        return false;
    }
    return true;
}

void MonitorWindow::Save() {
    QString filter;
    const QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("Сохранить трассу"), QString(),
        QStringLiteral("Трасса (*.trace *.txt);;CSV (*.csv)"), &filter);
    if (path.isEmpty()) return;
    const bool csv = filter.contains(QStringLiteral("csv"), Qt::CaseInsensitive) ||
                     path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive);
    QString error;
    if (!SaveTo(path, csv, &error)) QMessageBox::warning(this, kTitle, error);
}

MonitorWindow* MonitorWindow::OpenTrace(const QString& path, QWidget* parent, QString* error) {
    // The window keeps the last rows as the live ring does; the report sees every row, in the
    // same single pass over the file.
    auto monitor = std::make_unique<LinkMonitor>(MonitorRing::kDefaultCapacity);
    bool first = true;
    MonitorTraceFile::RowSink sink;
    sink.resolution = [&monitor](const StampResolution& resolution) { monitor->Report().SetResolution(resolution); };
    sink.row = [&monitor, &first](MonitorRow&& row) {
        if (first) monitor->SetStartUs(row.atUs);
        first = false;
        monitor->Add(std::move(row));
    };
    std::string message;
    const auto counts = MonitorTraceFile::Load(path.toStdString(), sink, &message);
    if (!counts) {
        *error = QString::fromStdString(message);
        return nullptr;
    }
    return new MonitorWindow(std::move(monitor), QFileInfo(path).fileName(), parent, counts->skippedLines);
}

void MonitorWindow::Open() {
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Открыть трассу"), QString(),
                                                      QStringLiteral("Трасса (*.trace *.txt);;Все файлы (*)"));
    if (path.isEmpty()) return;
    QString error;
    MonitorWindow* window = OpenTrace(path, parentWidget() ? parentWidget() : this, &error);
    if (window == nullptr) {
        QMessageBox::warning(this, kTitle, error);
        return;
    }
    window->show();
}
