#pragma once

#include <QWidget>
#include <functional>
#include <memory>

#include "monitor/LinkMonitor.h"

class MonitorFilter;
class MonitorModel;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTableView;
class QTableWidget;
class QTimer;

// The window "Монитор K-линии": every frame and event on the line, live or from a saved
// trace, and beside it the report on the tester. Live, it takes in new rows in batches, at
// most 20 times a second, and only while it is shown.
class MonitorWindow : public QWidget {
    Q_OBJECT
public:
    // Live: watches the console's monitor (not owned).
    explicit MonitorWindow(LinkMonitor& monitor, QWidget* parent = nullptr);
    // Offline: the rows of a saved trace, with their own report.
    // A saved trace: its lines that were not understood are counted in the status line.
    MonitorWindow(std::unique_ptr<LinkMonitor> offline, const QString& fileName, QWidget* parent = nullptr,
                  std::uint64_t linesNotUnderstood = 0);
    ~MonitorWindow() override;

    static constexpr int kRefreshMs = 50;

    // Told when the window is hidden or closed, to keep its place for the next run.
    void SetOnHide(std::function<void(const QRect&)> onHide) { onHide_ = std::move(onHide); }

    // Takes in new rows and redraws the report now (the timer does this while shown).
    void Refresh();
    // What the status line says of the port beside the row count; empty: nothing.
    void SetPortNote(const QString& note) { portNote_ = note; }
    bool SaveTo(const QString& path, bool csv, QString* error);
    // Opens a saved trace in a window of its own; nullptr with a message when it cannot.
    static MonitorWindow* OpenTrace(const QString& path, QWidget* parent, QString* error);

    MonitorModel& Model() { return *model_; }
    MonitorFilter& Filter() { return *filter_; }
    QTableView& View() { return *view_; }
    LinkMonitor& Monitor() { return monitor_; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void Build(bool live);
    void RefreshReport();
    void ApplyFilter();
    void Save();
    void Open();

    std::unique_ptr<LinkMonitor> owned_;
    LinkMonitor& monitor_;
    MonitorModel* model_ = nullptr;
    MonitorFilter* filter_ = nullptr;
    QTableView* view_ = nullptr;
    QTableWidget* report_ = nullptr;
    QPushButton* pause_ = nullptr;
    QComboBox* direction_ = nullptr;
    QComboBox* service_ = nullptr;
    QCheckBox* follow_ = nullptr;
    QLabel* status_ = nullptr;
    std::uint64_t linesNotUnderstood_ = 0;
    QTimer* timer_ = nullptr;
    QString portNote_;
    std::function<void(const QRect&)> onHide_;
};
