#include "support/glist.h"
#include "support/gexception.h"

void GListBase::Next(GPosition& position) const
{
    if (position.m_node) position.m_node = position.m_node->next;
}

void GListBase::Clear()
{
    for (GNode* node = m_first; node;) {
        GNode* next = node->next;
        m_traits->destroyNode(node);
        node = next;
    }
    m_first = nullptr;
    m_last = nullptr;
    m_count = 0;
}

void GListBase::AppendNode(GNode* node)
{
    node->next = nullptr;
    node->prev = m_last;
    if (m_last)
        m_last->next = node;
    else
        m_first = node;
    m_last = node;
    ++m_count;
}

GNode* GListBase::CheckedNode(const GPosition& position) const
{
    if (position.m_list != this) G_THROW("GContainer.bad_pos_cont");
    if (!position.m_node) G_THROW("GContainer.bad_pos_null");
    for (GNode* node = m_first; node; node = node->next)
        if (node == position.m_node) return node;
    G_THROW("GContainer.bad_pos");
}
