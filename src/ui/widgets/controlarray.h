#pragma once

#include <QWidget>
#include <functional>
#include <vector>

// A group of like controls addressed by index, as Image1(i). Element 0 is made with the
// window; load(i) adds a hidden copy made by the window's factory.
template <class W>
class ControlArray
{
public:
    using Factory = std::function<W *()>;

    ControlArray() = default;
    ControlArray(W *first, Factory make)
        : m_items { first }
        , m_make(std::move(make))
    {
    }

    // The element at index, or nullptr when it is not loaded.
    W *operator()(int index) const
    {
        if (index < 0 || index >= static_cast<int>(m_items.size()))
            return nullptr;
        return m_items[static_cast<size_t>(index)];
    }

    W *load(int index)
    {
        if (index >= static_cast<int>(m_items.size()))
            m_items.resize(static_cast<size_t>(index) + 1, nullptr);
        W *&slot = m_items[static_cast<size_t>(index)];
        if (slot == nullptr) {
            slot = m_make();
            slot->hide();
        }
        return slot;
    }

    // One past the highest loaded index.
    int ubound() const { return static_cast<int>(m_items.size()); }

    void reserve(int count) { m_items.reserve(static_cast<size_t>(count)); }

private:
    std::vector<W *> m_items;
    Factory m_make;
};
