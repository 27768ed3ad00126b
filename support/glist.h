// The library's doubly linked list (module GContainer).  The control keeps
// its running downloads in one.
#pragma once
#include <cstdint>

struct GNode {
    GNode* next;
    GNode* prev;
};

// What a list knows of its element type: how a node's element is finalised
// and the node freed.
struct GListTraits {
    void (*destroyNode)(GNode* node);
};

// Where an iteration stands: a node and the list it belongs to.  The null
// position of a list is past its end.
class GPosition {
public:
    GPosition() = default;
    explicit operator bool() const { return m_node != nullptr; }

private:
    friend class GListBase;
    GPosition(GNode* node, const void* list) : m_node(node), m_list(list) {}
    GNode* m_node = nullptr;
    const void* m_list = nullptr;
};

class GListBase {
public:
    GListBase(const GListBase&) = delete;
    GListBase& operator=(const GListBase&) = delete;

    int32_t Count() const { return m_count; }
    GPosition First() const { return GPosition(m_first, this); }
    // Moves to the next node; stays null at the end.
    void Next(GPosition& position) const;
    // Finalises every element, frees every node; the list is then empty.
    void Clear();

protected:
    explicit GListBase(const GListTraits& traits) : m_traits(&traits) {}
    ~GListBase() { Clear(); }

    void AppendNode(GNode* node);
    // The position's node; raises "GContainer.bad_pos_cont" for a position of
    // another list, "GContainer.bad_pos_null" for a null one and
    // "GContainer.bad_pos" for a node that is not in this list.
    GNode* CheckedNode(const GPosition& position) const;

private:
    const GListTraits* m_traits;
    int32_t m_count = 0;
    GNode* m_first = nullptr;
    GNode* m_last = nullptr;
};

template <class T>
class GList : public GListBase {
public:
    GList() : GListBase(kTraits) {}

    void Append(const T& element) { AppendNode(new Node{{nullptr, nullptr}, element}); }
    T& operator[](const GPosition& position)
    {
        return static_cast<Node*>(CheckedNode(position))->element;
    }

private:
    struct Node : GNode {
        T element;
    };
    static_assert(sizeof(T) != sizeof(void*) || sizeof(Node) == 3 * sizeof(void*),
                  "next node, previous node, element");
    static void DestroyNode(GNode* node) { delete static_cast<Node*>(node); }
    static constexpr GListTraits kTraits{&DestroyNode};
};

static_assert(sizeof(GListBase) == 4 * sizeof(void*), "traits, count, first node, last node");
static_assert(sizeof(GList<void*>) == 4 * sizeof(void*), "traits, count, first node, last node");
