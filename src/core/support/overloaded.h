// One callable made of several lambdas, for std::visit over a variant: each
// alternative finds its own overload.
#pragma once

namespace mw {

template <class... F>
struct Overloaded : F... {
    using F::operator()...;
};
// Spelled out for compilers without aggregate deduction (clang before 17).
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

}  // namespace mw
