#pragma once

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>
#include <cstdint>
#include <optional>

#include "monitor/MonitorRing.h"

// The monitor's rows as a table: time since the start, gap since the row before, direction,
// bytes, meaning. It reads the ring only when told to catch up, so a batch of new rows costs
// one insertion; paused, it keeps a copy of what it shows while the ring goes on filling.
class MonitorModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { ColTime, ColGap, ColDirection, ColBytes, ColMeaning, ColumnCount };

    explicit MonitorModel(const MonitorRing& ring, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Takes in what the ring gained and lost since the last call. Does nothing while paused.
    void CatchUp();
    void SetPaused(bool paused);
    bool Paused() const { return frozen_.has_value(); }
    // Times are shown from here on.
    void SetStartUs(std::int64_t us);

    // The rows the view shows (a copy while paused).
    const MonitorRing& Shown() const { return frozen_ ? *frozen_ : ring_; }
    const MonitorRow& RowAt(int row) const;

private:
    const MonitorRing& ring_;
    std::optional<MonitorRing> frozen_;
    std::uint64_t first_ = 0;  // ring number of model row 0
    std::uint64_t next_ = 0;   // ring number after the last model row
    std::int64_t startUs_ = 0;
};

// Which rows the view lets through: by direction and by service.
class MonitorFilter : public QSortFilterProxyModel {
    Q_OBJECT
public:
    enum class Direction { All, Requests, Replies, Events };

    explicit MonitorFilter(MonitorModel* model, QObject* parent = nullptr);

    void SetDirection(Direction direction);
    // A service identifier, or nothing for every service.
    void SetService(std::optional<std::uint8_t> sid);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    MonitorModel* model_;
    Direction direction_ = Direction::All;
    std::optional<std::uint8_t> sid_;
};
