#pragma once

#include <functional>

// Base of the instruments' settings objects: every setter stores a new value only when it
// differs, then calls Changed, which lets the subclass recompute what it derives and then
// tells the owning widget through OnChange.
class TUiPersistent {
public:
    using ChangeHandler = std::function<void()>;

    TUiPersistent() = default;
    virtual ~TUiPersistent() = default;
    TUiPersistent(const TUiPersistent&) = delete;
    TUiPersistent& operator=(const TUiPersistent&) = delete;

    // One subscriber: the widget that owns the settings.
    void SetOnChange(ChangeHandler handler) { onChange_ = std::move(handler); }

protected:
    void Changed();
    virtual void Recompute() {}

    template <class T>
    void Store(T& field, const T& value) {
        if (field == value) {
            return;
        }
        field = value;
        Changed();
    }

private:
    ChangeHandler onChange_;
};
