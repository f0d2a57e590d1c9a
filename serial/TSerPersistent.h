#pragma once

#include <functional>

// Base of the port's option groups. A change reaches the owning port through one callback,
// held back while an update is under way (BeginUpdate/EndUpdate), so a batch is told once.
// The port may also install a guard that refuses a change before anything is stored.
class TSerPersistent {
public:
    using TChangeHook = std::function<void()>;

    TSerPersistent() = default;
    // A copy carries the values only; it belongs to no port.
    TSerPersistent(const TSerPersistent&) {}
    TSerPersistent& operator=(const TSerPersistent&) { return *this; }
    virtual ~TSerPersistent() = default;

    void BeginUpdate() { ++updateCount_; }
    void EndUpdate();
    int UpdateCount() const { return updateCount_; }

    void SetOnChange(TChangeHook hook) { onChange_ = std::move(hook); }
    void SetChangeGuard(TChangeHook guard) { guard_ = std::move(guard); }

protected:
    // Called before a value is stored; throws when the owner refuses changes now.
    void CheckChange() const;
    void Changed();

    // Stores a value the line runs with and tells the owner; when the device refuses it, the
    // old value is put back so the group keeps what the line really runs with.
    template <typename T>
    void StoreApplied(T& field, T value) {
        CheckChange();
        const T old = field;
        field = value;
        try {
            Changed();
        } catch (...) {
            field = old;
            throw;
        }
    }

private:
    int updateCount_ = 0;
    TChangeHook onChange_;
    TChangeHook guard_;
};
