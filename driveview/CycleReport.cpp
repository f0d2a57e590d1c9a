#include "driveview/CycleReport.h"

#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <algorithm>
#include <cmath>
#include <functional>

#include "driveview/CycleTexts.h"
#include "drive/DriveJson.h"

namespace {

constexpr int kDpi = 150;
const QColor kConsoleColour(0x1f, 0x5f, 0xbf);
const QColor kDeviceColour(0xd0, 0x40, 0x20);
const QColor kPhaseShades[] = {QColor(0xee, 0xf3, 0xfa), QColor(0xfa, 0xf3, 0xe6)};

using CycleTexts::Number;

struct Series {
    QString name;
    QColor colour;
    std::function<double(const CycleRun::Sample&)> y;
};

// A scale end that reads well: 1, 2 or 5 times a power of ten, at least `value`.
double NiceCeiling(double value) {
    if (value <= 0) return 1;
    const double power = std::pow(10.0, std::floor(std::log10(value)));
    for (const double step : {1.0, 2.0, 5.0, 10.0}) {
        if (value <= step * power) return step * power;
    }
    return 10 * power;
}

class ReportPainter {
public:
    ReportPainter(QPdfWriter& writer, const CycleRun& run) : painter_(&writer), writer_(writer), run_(run) {
        page_ = writer.pageLayout().paintRectPixels(kDpi);
        page_.moveTo(0, 0);
        y_ = 0;
    }
    bool Active() const { return painter_.isActive(); }

    void Font(double points, bool bold = false) {
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPointSizeF(points);
        font.setBold(bold);
        painter_.setFont(font);
    }

    void Line(const QString& text, double points = 9, bool bold = false) {
        Font(points, bold);
        const QRectF box(page_.left(), y_, page_.width(), 1000);
        const QRectF used = painter_.boundingRect(box, Qt::TextWordWrap, text);
        painter_.setPen(Qt::black);
        painter_.drawText(box, Qt::TextWordWrap, text);
        y_ += used.height() + 4;
    }
    void Gap(double px) { y_ += px; }
    void NewPage() {
        writer_.newPage();
        y_ = 0;
    }

    void Plot(const QString& title, const QString& unit, const std::vector<Series>& series, double height) {
        const auto& samples = run_.Samples();
        const double totalS = static_cast<double>(run_.Cycle()->DurationMs()) / 1000.0;
        double maxY = 0;
        for (const CycleRun::Sample& s : samples) {
            for (const Series& line : series) maxY = std::max(maxY, line.y(s));
        }
        maxY = NiceCeiling(maxY * 1.05);
        const double titleY = y_;
        Line(title + QStringLiteral(", ") + unit, 9, true);
        const QRectF area(page_.left() + 60, y_, page_.width() - 70, height);
        // Phases shaded and named.
        Font(7);
        const auto& phases = run_.Cycle()->Phases();
        for (std::size_t i = 0; i < phases.size(); ++i) {
            const double x0 = area.left() + area.width() * phases[i].startS / totalS;
            const double x1 = area.left() + area.width() * phases[i].endS / totalS;
            painter_.fillRect(QRectF(x0, area.top(), x1 - x0, area.height()), kPhaseShades[i % 2]);
            painter_.setPen(Qt::darkGray);
            painter_.drawText(QRectF(x0 + 3, area.top() + 2, x1 - x0 - 6, 20), Qt::AlignLeft, QString::fromStdString(phases[i].name));
        }
        // Axes and their marks.
        painter_.setPen(QPen(Qt::gray, 1));
        for (int k = 0; k <= 4; ++k) {
            const double y = area.bottom() - area.height() * k / 4;
            painter_.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
            painter_.drawText(QRectF(page_.left(), y - 10, 55, 20), Qt::AlignRight | Qt::AlignVCenter,
                              QString::number(maxY * k / 4, 'g', 4));
        }
        const double stepS = NiceCeiling(totalS / 10);
        for (double t = 0; t <= totalS + 1e-9; t += stepS) {
            const double x = area.left() + area.width() * t / totalS;
            painter_.drawLine(QPointF(x, area.bottom()), QPointF(x, area.bottom() + 5));
            painter_.drawText(QRectF(x - 40, area.bottom() + 5, 80, 18), Qt::AlignHCenter, QString::number(t));
        }
        painter_.setPen(QPen(Qt::black, 1.5));
        painter_.drawRect(area);
        // The lines, and their names on the title's row at the right.
        double legendX = area.right();
        for (auto it = series.rbegin(); it != series.rend(); ++it) {
            QPainterPath path;
            for (std::size_t i = 0; i < samples.size(); ++i) {
                const QPointF p(area.left() + area.width() * samples[i].timeS / totalS,
                                area.bottom() - area.height() * std::min(it->y(samples[i]), maxY) / maxY);
                i == 0 ? path.moveTo(p) : path.lineTo(p);
            }
            painter_.setPen(QPen(it->colour, 2));
            painter_.drawPath(path);
            Font(7);
            const double w = painter_.fontMetrics().horizontalAdvance(it->name) + 30;
            legendX -= w;
            painter_.drawLine(QPointF(legendX, titleY + 10), QPointF(legendX + 18, titleY + 10));
            painter_.setPen(Qt::black);
            painter_.drawText(QRectF(legendX + 22, titleY + 1, w, 20), Qt::AlignLeft, it->name);
        }
        y_ = area.bottom() + 26;
        Font(7);
        painter_.drawText(QRectF(area.left(), y_ - 4, area.width(), 16), Qt::AlignRight, QStringLiteral("время, с"));
        y_ += 10;
    }

    // A table: the first row is the header; columns share the width by the given weights.
    void Table(const std::vector<QStringList>& rows, const std::vector<double>& weights, double points = 7.5) {
        Font(points);
        const double rowHeight = painter_.fontMetrics().height() * 1.5;
        double total = 0;
        for (double w : weights) total += w;
        for (std::size_t r = 0; r < rows.size(); ++r) {
            double x = page_.left();
            Font(points, r == 0);
            // The header's names may take two lines.
            const double height = r == 0 ? rowHeight * 1.7 : rowHeight;
            if (r == 0) painter_.fillRect(QRectF(x, y_, page_.width(), height), QColor(0xe8, 0xe8, 0xe8));
            for (int c = 0; c < rows[r].size() && c < static_cast<int>(weights.size()); ++c) {
                const double w = page_.width() * weights[static_cast<std::size_t>(c)] / total;
                painter_.setPen(Qt::black);
                painter_.drawText(QRectF(x + 4, y_, w - 8, height),
                                  (c == 0 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter | Qt::TextWordWrap,
                                  rows[r][c]);
                x += w;
            }
            painter_.setPen(QPen(Qt::lightGray, 1));
            painter_.drawLine(QPointF(page_.left(), y_ + height), QPointF(page_.right(), y_ + height));
            y_ += height;
        }
        y_ += 10;
    }

    bool Fits(double height) const { return y_ + height <= page_.bottom(); }

private:
    QPainter painter_;
    QPdfWriter& writer_;
    const CycleRun& run_;
    QRectF page_;
    double y_;
};

QStringList ReferenceRow(const QString& name, const CycleRun::References& r) {
    const TripTotals& c = r.console;
    const TripTotals& d = r.device;
    return {name,
            Number(c.distanceKm, 3),
            Number(d.distanceKm, 3),
            Number(d.distanceKm - c.distanceKm, 3),
            Number(c.fuelL, 3),
            Number(d.fuelL, 3),
            Number(d.fuelL - c.fuelL, 3),
            CycleTexts::Clock(static_cast<double>(c.elapsedMs) / 1000.0),
            Number(c.AverageSpeedKmh(), 1) + QStringLiteral(" / ") + Number(d.AverageSpeedKmh(), 1),
            Number(c.AverageConsumption(), 2) + QStringLiteral(" / ") + Number(d.AverageConsumption(), 2)};
}

}  // namespace

QString CycleReportJsonPath(const QString& pdfPath) {
    const QFileInfo info(pdfPath);
    return info.path() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral(".json");
}

QString SaveCycleReport(const QString& pdfPath, const CycleRun& run, const CycleReportHeader& header) {
    if (!run.Cycle()) {
        return QStringLiteral("no cycle has been driven");
    }
    const DriveCycle& cycle = *run.Cycle();
    {
        QPdfWriter writer(pdfPath);
        writer.setResolution(kDpi);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(15, 12, 15, 12), QPageLayout::Millimeter);
        writer.setTitle(QStringLiteral("Ездовой цикл ") + QString::fromStdString(cycle.Name()));
        writer.setCreator(QStringLiteral("Тестер БК \"ВОРТА\""));
        ReportPainter p(writer, run);
        if (!p.Active()) {
            return QStringLiteral("cannot write %1").arg(pdfPath);
        }
        p.Line(QStringLiteral("Проверка бортового компьютера на ездовом цикле"), 14, true);
        p.Line(QStringLiteral("Устройство: ") + (header.device.isEmpty() ? QStringLiteral("—") : header.device));
        p.Line(QStringLiteral("Дата: ") + header.date + QStringLiteral("    Тип ЭБУ: ") + header.controllerType);
        p.Line(QStringLiteral("Линия: ") + header.lineOptions);
        const double totalS = static_cast<double>(cycle.DurationMs()) / 1000.0;
        p.Line(QStringLiteral("Цикл: %1, %2 с, %3 км по таблице; %4, пройдено %5 с")
                   .arg(QString::fromStdString(cycle.Name()))
                   .arg(totalS, 0, 'f', 0)
                   .arg(cycle.DistanceKm(0, totalS), 0, 'f', 3)
                   .arg(CycleTexts::State(run.GetState()))
                   .arg(static_cast<double>(run.ElapsedMs()) / 1000.0, 0, 'f', 1));
        QStringList phases;
        for (const CyclePhase& phase : cycle.Phases()) {
            phases << QStringLiteral("%1 %2–%3 с (%4 км)")
                          .arg(QString::fromStdString(phase.name))
                          .arg(phase.startS)
                          .arg(phase.endS)
                          .arg(cycle.DistanceKm(phase.startS, phase.endS), 0, 'f', 3);
        }
        p.Line(QStringLiteral("Фазы: ") + phases.join(QStringLiteral("; ")));
        p.Gap(8);
        p.Plot(QStringLiteral("Скорость"), QStringLiteral("км/ч"),
               {{QStringLiteral("по таблице"), kConsoleColour, [](const CycleRun::Sample& s) { return s.speedKmh; }}}, 330);
        p.Plot(QStringLiteral("Расход топлива"), QStringLiteral("л/ч"),
               {{QStringLiteral("задано"), kDeviceColour, [](const CycleRun::Sample& s) { return s.fuelFlowLh; }}}, 300);
        p.Plot(QStringLiteral("Путь"), QStringLiteral("км"),
               {{QStringLiteral("эталон пульта"), kConsoleColour, [](const CycleRun::Sample& s) { return s.consoleKm; }},
                {QStringLiteral("вид устройства"), kDeviceColour, [](const CycleRun::Sample& s) { return s.deviceKm; }}},
               300);

        p.NewPage();
        p.Line(QStringLiteral("Эталоны по фазам"), 11, true);
        p.Line(QStringLiteral("Эталон пульта — подсчёт проверки БК по значениям пульта; вид устройства — что должен "
                              "показать исправный БК по ответам, которые он действительно получил (с их шагом и "
                              "удержанием до следующего опроса). Разница — округление и выборка."), 8);
        std::vector<QStringList> rows = {{QStringLiteral("Фаза"), QStringLiteral("Путь пульт, км"),
                                          QStringLiteral("Путь устр., км"), QStringLiteral("Разн., км"),
                                          QStringLiteral("Топливо пульт, л"), QStringLiteral("Топливо устр., л"),
                                          QStringLiteral("Разн., л"), QStringLiteral("Время"),
                                          QStringLiteral("Ср. скор. п/у"), QStringLiteral("Ср. расх. п/у")}};
        for (std::size_t i = 0; i < cycle.Phases().size(); ++i) {
            rows.push_back(ReferenceRow(QString::fromStdString(cycle.Phases()[i].name),
                                        run.PhaseReferences(static_cast<int>(i))));
        }
        rows.push_back(ReferenceRow(QStringLiteral("Итого"), run.Total()));
        p.Table(rows, {1.6, 1, 1, 0.8, 1, 1, 0.8, 0.9, 1.2, 1.2});
        p.Line(CycleTexts::PollText(run.Device()), 8);
        if (run.SecondsAtAirFlowLimit() > 0) {
            p.Line(QStringLiteral("Расход ограничен пределом расхода воздуха (100 кг/ч): %1 с.")
                       .arg(run.SecondsAtAirFlowLimit(), 0, 'f', 1),
                   8);
        }
        p.Gap(6);

        const Verdict verdict = run.CurrentVerdict();
        p.Line(QStringLiteral("Показания устройства и вердикт"), 11, true);
        if (!verdict.checks.empty()) {
            std::vector<QStringList> figures = {{QStringLiteral("Величина"), QStringLiteral("Показано"),
                                                 QStringLiteral("Вид устройства"), QStringLiteral("Ошибка, %"),
                                                 QStringLiteral("Эталон пульта"), QStringLiteral("Ошибка, %"),
                                                 QStringLiteral("Допуск, %"), QStringLiteral("")}};
            for (const FigureCheck& c : verdict.checks) {
                const int decimals = c.name == "time" ? 0 : c.name == "distance" || c.name == "fuel" ? 3 : 2;
                figures.push_back({CycleTexts::FigureName(c.name), Number(c.entered, decimals),
                                   Number(c.device, decimals + 1), Number(c.errorVsDevicePct, 2),
                                   Number(c.console, decimals + 1), Number(c.errorVsConsolePct, 2),
                                   c.tolerancePct ? QStringLiteral("±") + Number(c.tolerancePct, 2) : QString(),
                                   c.tolerancePct ? (c.within ? QStringLiteral("в допуске") : QStringLiteral("вне допуска"))
                                                  : QString()});
            }
            p.Table(figures, {2.6, 1, 1.1, 0.9, 1.1, 0.9, 0.9, 1});
        }
        p.Line(QStringLiteral("Вердикт: ") + CycleTexts::VerdictText(verdict) +
                   (verdict.against.empty() ? QString()
                                            : QStringLiteral(" (сравнение на конце: %1)")
                                                  .arg(verdict.against == "cycle" ? QStringLiteral("цикла")
                                                                                  : QString::fromStdString(verdict.against))),
               12, true);
        p.Line(QStringLiteral("Допуски относительно вида устройства: путь ±%1 %, топливо ±%2 %.")
                   .arg(run.GetTolerances().distancePct)
                   .arg(run.GetTolerances().fuelPct),
               8);
        p.Gap(6);
        p.Line(QStringLiteral("Протокол обмена устройства (монитор K-линии)"), 11, true);
        std::vector<QStringList> protocol = {{QStringLiteral("Показатель"), QStringLiteral("Значение")}};
        for (const auto& [name, value] : header.protocol) {
            protocol.push_back({name, value});
        }
        p.Table(protocol, {2, 3});
    }
    if (!QFileInfo(pdfPath).isFile() || QFileInfo(pdfPath).size() == 0) {
        return QStringLiteral("cannot write %1").arg(pdfPath);
    }
    QFile json(CycleReportJsonPath(pdfPath));
    if (!json.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return QStringLiteral("cannot write %1: %2").arg(json.fileName(), json.errorString());
    }
    const std::string text = "{\"device\":" + DriveJson::Text(header.device.toStdString()) +
                             ",\"date\":" + DriveJson::Text(header.date.toStdString()) +
                             ",\"controllerType\":" + DriveJson::Text(header.controllerType.toStdString()) +
                             ",\"line\":" + DriveJson::Text(header.lineOptions.toStdString()) +
                             ",\"run\":" + DriveJson::Run(run) +
                             ",\"protocol\":" + (header.protocolJson.empty() ? "null" : header.protocolJson) + "}\n";
    json.write(text.data(), static_cast<qint64>(text.size()));
    return json.error() == QFileDevice::NoError ? QString() : json.errorString();
}
