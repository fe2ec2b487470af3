#include "velmar/foundation/nkMem.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace nkMem;

namespace
{
std::vector<std::string>* g_destroyed = nullptr;
long g_alive = 0;

class Node : public CTreeNodeTempl2<Node>
{
public:
    explicit Node(std::string name = {}, std::uint32_t maxChildren = 0)
        : CTreeNodeTempl2<Node>(maxChildren), m_name(std::move(name))
    {
        ++g_alive;
    }
    virtual ~Node()
    {
        --g_alive;
        if (g_destroyed)
            g_destroyed->push_back(m_name);
    }
    std::string m_name;
};
} // namespace

TEST(TreeNode, AddChildRespectsLimitAndSelf)
{
    Node root("root", 2);
    EXPECT_EQ(root.GetChildren().GetCapacity(), 2u); // prepared for the limit
    EXPECT_FALSE(root.AddChild(&root));
    auto* a = new Node("a");
    auto* b = new Node("b");
    auto* c = new Node("c");
    EXPECT_TRUE(root.AddChild(a));
    EXPECT_TRUE(root.CanAddChild());
    EXPECT_TRUE(root.AddChild(b));
    EXPECT_FALSE(root.CanAddChild());
    EXPECT_FALSE(root.AddChild(c));
    EXPECT_EQ(c->GetParent(), nullptr);
    EXPECT_EQ(root.GetChildCount(), 2u);
    EXPECT_EQ(a->GetParent(), &root);
    EXPECT_EQ(root.GetChild(1), b);

    root.SwapChildren(0, 1);
    EXPECT_EQ(root.GetChild(0), b);
    EXPECT_EQ(root.IndexOfChild(a), 1u);
    EXPECT_EQ(root.DetachChild(0), b);
    EXPECT_EQ(b->GetParent(), nullptr);
    EXPECT_TRUE(root.InsertChild(0, c));
    EXPECT_EQ(root.GetChild(0), c);
    EXPECT_EQ(c->GetParent(), &root);
    delete b;
    root.RemoveAllChildren();
    EXPECT_EQ(root.GetChildCount(), 0u);
    EXPECT_EQ(g_alive, 1);
}

TEST(TreeNode, RemoveAllChildrenFreesChildrenBeforeParentsInOrder)
{
    std::vector<std::string> order;
    g_destroyed = &order;
    {
        Node root("root");
        auto* a = new Node("a");
        auto* b = new Node("b");
        root.AddChild(a);
        root.AddChild(b);
        a->AddChild(new Node("a1"));
        a->AddChild(new Node("a2"));
        a->GetChild(0)->AddChild(new Node("a1x"));
        b->AddChild(new Node("b1"));
        root.RemoveAllChildren();
        EXPECT_EQ(root.GetChildCount(), 0u);
        EXPECT_EQ(order, (std::vector<std::string>{"a1x", "a1", "a2", "a", "b1", "b"}));
    }
    g_destroyed = nullptr;
    EXPECT_EQ(g_alive, 0);
}

TEST(TreeNode, AChainOfAMillionNodesIsFreedWithoutDeepRecursion)
{
    auto* root = new Node("root");
    Node* tip = root;
    for (int i = 0; i < 1000000; ++i)
    {
        auto* n = new Node;
        ASSERT_TRUE(tip->AddChild(n));
        tip = n;
    }
    EXPECT_EQ(g_alive, 1000001);
    root->RemoveAllChildren();
    delete root;
    EXPECT_EQ(g_alive, 0);
}
