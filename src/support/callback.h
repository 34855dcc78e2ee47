#pragma once
// Reference-counted callables. Live instances of CBChecker (every Callback)
// and of BinderBase (every stored callable) are counted; whatever is still
// alive at process exit is reported on standard output.
#include <cstddef>
#include <functional>
#include <memory>
#include <tuple>
#include <type_traits>
#include <utility>

namespace minilib {

class CBChecker {
public:
    CBChecker();
    CBChecker(const CBChecker&);
    CBChecker& operator=(const CBChecker&) = default;
    virtual ~CBChecker();
    static long LiveCount();
};

class BinderBase {
public:
    using InvokeFn = void (*)(BinderBase*);

    BinderBase();
    BinderBase(const BinderBase&) = delete;
    BinderBase& operator=(const BinderBase&) = delete;
    virtual ~BinderBase();
    static long LiveCount();

    // Set by the derived constructor; calls go through it, not a virtual call.
    InvokeFn invoke = nullptr;
};

// Holds a callable and N bound arguments.
template <size_t N, typename F, typename... Args>
class Binder : public BinderBase {
    static_assert(N == sizeof...(Args), "N is the number of bound arguments");

public:
    explicit Binder(F f, Args... args) : f_(std::move(f)), args_(std::move(args)...) { invoke = &Invoke; }

private:
    static void Invoke(BinderBase* base) {
        auto* self = static_cast<Binder*>(base);
        std::apply(self->f_, self->args_);
    }

    F f_;
    std::tuple<Args...> args_;
};

template <typename Signature>
class Callback;

template <>
class Callback<void()> : public CBChecker {
public:
    Callback() = default;

    template <typename F, typename = std::enable_if_t<!std::is_same<std::decay_t<F>, Callback>::value>>
    Callback(F&& f)  // NOLINT: implicit by design, like std::function
        : binder_(new Binder<0, std::decay_t<F>>(std::forward<F>(f))) {}

    Callback(const Callback&) = default;
    Callback& operator=(const Callback&) = default;
    Callback(Callback&& other) noexcept : CBChecker(), binder_(std::move(other.binder_)) {}
    Callback& operator=(Callback&& other) noexcept {
        binder_ = std::move(other.binder_);
        return *this;
    }

    explicit operator bool() const { return binder_ != nullptr; }

    void operator()() const {
        if (!binder_) throw std::bad_function_call();
        binder_->invoke(binder_.get());
    }

private:
    std::shared_ptr<BinderBase> binder_;
};

}  // namespace minilib
