#pragma once

#include <QObject>
#include <QTimer>
#include <map>

// The blink rate of a flashing lamp or button.
enum TUiFrequency { ff8Hz, ff4Hz, ff2Hz, ff1Hz, ff05Hz };

// Something that blinks: the service toggles its phase each time its period elapses.
class BlinkClient {
public:
    virtual ~BlinkClient() = default;
    virtual void ToggleBlinkPhase() = 0;
};

// One timer for every blinking widget of the program, so lamps of one rate blink in step.
// The timer runs only while some widget blinks.
class BlinkService : public QObject {
    Q_OBJECT
public:
    // Base tick: the fastest rate toggles on every tick.
    static constexpr int kTickMs = 62;

    static BlinkService& Instance();
    // False before the first use and after the application object is gone.
    static bool Exists();
    static int Divider(TUiFrequency frequency);

    void Register(BlinkClient* client, TUiFrequency frequency);
    void Unregister(BlinkClient* client);
    bool IsRegistered(const BlinkClient* client) const;
    bool Running() const { return timer_.isActive(); }

    // One base tick; the timer calls it, tests may too.
    void Tick();

private:
    explicit BlinkService(QObject* parent);

    struct Entry {
        int divider;
        int count;
    };
    std::map<BlinkClient*, Entry> clients_;
    QTimer timer_;
};
