#include "monitorview/MonitorModel.h"

#include <QBrush>
#include <QColor>

#include "monitor/MonitorText.h"
#include "protocol/FrameMeaning.h"

namespace {

// The service a frame is about: a request's own, a reply's request, a negative reply's subject.
std::optional<std::uint8_t> FrameService(const MonitorRow& row) {
    const auto h = FrameMeaning::ReadHeader(row.bytes.data(), row.bytes.size());
    if (!h.valid || h.length == 0) return std::nullopt;
    const std::uint8_t* data = row.bytes.data() + h.dataOffset;
    if (row.kind == MonitorRowKind::Request) return data[0];
    if (data[0] == 0x7F) return h.length >= 2 ? std::optional<std::uint8_t>(data[1]) : std::nullopt;
    return static_cast<std::uint8_t>(data[0] - 0x40);
}

}  // namespace

MonitorModel::MonitorModel(const MonitorRing& ring, QObject* parent)
    : QAbstractTableModel(parent), ring_(ring), first_(ring.FirstNumber()), next_(ring.FirstNumber()) {}

int MonitorModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(next_ - first_);
}

int MonitorModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

const MonitorRow& MonitorModel::RowAt(int row) const {
    return Shown().At(first_ + static_cast<std::uint64_t>(row));
}

QVariant MonitorModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const MonitorRow& row = RowAt(index.row());
    if (role == Qt::ForegroundRole) {
        return row.IsProblem() ? QVariant(QBrush(QColor(200, 0, 0))) : QVariant();
    }
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
    switch (index.column()) {
    case ColTime:
        return QString::fromStdString(MonitorText::Seconds(row.atUs - startUs_));
    case ColGap: {
        const std::uint64_t number = first_ + static_cast<std::uint64_t>(index.row());
        if (number == Shown().FirstNumber()) return QStringLiteral("—");
        return QString::fromStdString(MonitorText::Millis(row.atUs - Shown().At(number - 1).atUs));
    }
    case ColDirection:
        return QString::fromStdString(MonitorText::Direction(row));
    case ColBytes:
        return QString::fromStdString(MonitorText::Hex(row.bytes));
    case ColMeaning:
        return QString::fromStdString(MonitorText::Meaning(row));
    default:
        return {};
    }
}

QVariant MonitorModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return QAbstractTableModel::headerData(section, orientation, role);
    static const char* const kTitles[] = {"Время, с", "Пауза, мс", "Направление", "Байты", "Значение"};
    return section >= 0 && section < ColumnCount ? QString::fromUtf8(kTitles[section]) : QVariant();
}

void MonitorModel::CatchUp() {
    if (frozen_) return;
    const std::uint64_t ringFirst = ring_.FirstNumber();
    const std::uint64_t ringNext = ring_.NextNumber();
    if (ringFirst >= next_) {
        // Nothing shown is still held (cleared, or overrun between two calls): start over.
        beginResetModel();
        first_ = ringFirst;
        next_ = ringNext;
        endResetModel();
        return;
    }
    if (ringFirst > first_) {
        beginRemoveRows({}, 0, static_cast<int>(ringFirst - first_) - 1);
        first_ = ringFirst;
        endRemoveRows();
    }
    if (ringNext > next_) {
        beginInsertRows({}, rowCount(), rowCount() + static_cast<int>(ringNext - next_) - 1);
        next_ = ringNext;
        endInsertRows();
    }
}

void MonitorModel::SetPaused(bool paused) {
    if (paused == Paused()) return;
    if (paused) {
        // The copy shows exactly the rows held now; the model's numbers stay valid in it.
        CatchUp();
        frozen_.emplace(ring_);
        return;
    }
    beginResetModel();
    frozen_.reset();
    first_ = next_ = ring_.FirstNumber();
    endResetModel();
    CatchUp();
}

void MonitorModel::SetStartUs(std::int64_t us) {
    startUs_ = us;
    if (rowCount() > 0) emit dataChanged(index(0, ColTime), index(rowCount() - 1, ColTime));
}

MonitorFilter::MonitorFilter(MonitorModel* model, QObject* parent) : QSortFilterProxyModel(parent), model_(model) {
    setSourceModel(model);
}

void MonitorFilter::SetDirection(Direction direction) {
    direction_ = direction;
    invalidateFilter();
}

void MonitorFilter::SetService(std::optional<std::uint8_t> sid) {
    sid_ = sid;
    invalidateFilter();
}

bool MonitorFilter::filterAcceptsRow(int sourceRow, const QModelIndex&) const {
    if (direction_ == Direction::All && !sid_) return true;
    const MonitorRow& row = model_->RowAt(sourceRow);
    switch (direction_) {
    case Direction::Requests:
        if (row.kind != MonitorRowKind::Request) return false;
        break;
    case Direction::Replies:
        if (row.kind != MonitorRowKind::Reply) return false;
        break;
    case Direction::Events:
        if (row.kind != MonitorRowKind::Event) return false;
        break;
    case Direction::All:
        break;
    }
    return !sid_ || (row.kind != MonitorRowKind::Event && FrameService(row) == sid_);
}
