#pragma once
// Trees of command names from which menus, context menus, toolbars and the tool box are
// built.  A leaf names a registered command ("Separator" stands for a separator); a node
// with children is a submenu, or a toolbar, titled with its command.  A node owns its
// children.

#include "PelmoraGuiExport.h"

#include <QList>

#include <string>

namespace Gui {

// The shared code of the menu and toolbar trees; Node is the concrete node class.
template <typename Node>
class CommandTreeNode
{
public:
    CommandTreeNode() = default;
    explicit CommandTreeNode(Node* parent)
    {
        if (parent)
            parent->items.append(static_cast<Node*>(this));
    }
    ~CommandTreeNode() { clear_nodes(); }
    // Copied only as a whole subtree, through copy_item / copy.
    CommandTreeNode(const CommandTreeNode&) = delete;
    CommandTreeNode& operator=(const CommandTreeNode&) = delete;

    // Appends a leaf named `name`; returns this node, so that entries chain.
    Node& operator<<(const std::string& name)
    {
        auto* child = new Node();
        child->cmd = name;
        items.append(child);
        return self();
    }
    // Appends an existing node; ownership passes to this node.
    Node& operator<<(Node* child)
    {
        pushback_item(child);
        return self();
    }
    void pushback_item(Node* child)
    {
        if (child)
            items.append(child);
    }
    // Inserts `child` in front of `before`; false when `before` is not a child.
    bool insert_item(Node* before, Node* child)
    {
        const int pos = items.indexOf(before);
        if (pos < 0 || !child)
            return false;
        items.insert(pos, child);
        return true;
    }
    // Takes the node out without deleting it.
    void remove_item(Node* child) { items.removeOne(child); }
    // This node or one of its direct children named `name`; not deeper.
    Node* look_for_item(const std::string& name) const
    {
        if (cmd == name)
            return const_cast<Node*>(static_cast<const Node*>(this));
        for (Node* child : items) {
            if (child->cmd == name)
                return child;
        }
        return nullptr;
    }
    // The child after `child`; null for the last one or a stranger.
    Node* next_item(Node* child) const
    {
        const int pos = items.indexOf(child);
        return pos >= 0 && pos + 1 < items.size() ? items.at(pos + 1) : nullptr;
    }
    bool has_items() const { return !items.isEmpty(); }
    QList<Node*> get_items() const { return items; }
    std::string command() const { return cmd; }
    // Read without copying, for the widget builders.
    const std::string& command_ref() const { return cmd; }
    void set_command(const std::string& name) { cmd = name; }

protected:
    void clear_nodes()
    {
        const QList<Node*> old = items;
        items.clear();
        for (Node* child : old)
            delete child;
    }
    unsigned node_count() const { return static_cast<unsigned>(items.size()); }
    Node* copy_node() const
    {
        auto* root = new Node();
        root->cmd = cmd;
        for (const Node* child : items)
            root->items.append(child->copy_node());
        return root;
    }

private:
    Node& self() { return static_cast<Node&>(*this); }
    std::string cmd;
    QList<Node*> items;
};

class PELMORAGUI_EXPORT MenuItem : public CommandTreeNode<MenuItem>
{
public:
    MenuItem() = default;
    explicit MenuItem(MenuItem* parent) : CommandTreeNode<MenuItem>(parent) {}

    void clear_items() { clear_nodes(); }
    unsigned number_of_items() const { return node_count(); }
    MenuItem* copy_item() const { return copy_node(); }

    using CommandTreeNode<MenuItem>::operator<<;
};

} // namespace Gui
