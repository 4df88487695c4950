#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "korin/platform/core/Component.h"

using namespace korin;

namespace {

std::vector<std::string> g_log;

class TProbe : public TComponent {
public:
    explicit TProbe(TComponent* owner, std::string name) : TComponent(owner) { SetName(name); }
    ~TProbe() override { g_log.push_back("destroy " + Name()); }
    void Notification(TComponent* c, TOperation op) override
    {
        TComponent::Notification(c, op);
        if (op == opRemove)
            g_log.push_back(Name() + " hears " + c->Name() + (Is<TProbe>(c) ? " (whole)" : " (part)"));
    }
};

TEST(Component, OwnerFreesWhatItOwnsLastFirst)
{
    g_log.clear();
    auto* root = new TProbe(nullptr, "root");
    auto* a = new TProbe(root, "a");
    new TProbe(root, "b");
    new TProbe(a, "a1");
    EXPECT_EQ(root->ComponentCount(), 2);
    EXPECT_EQ(root->Components(1)->Name(), "b");
    EXPECT_EQ(a->Owner(), root);
    EXPECT_THROW(root->Components(2), EComponentError);
    root->Free();
    // b goes first (last owned), then a; a's own destructor body runs before a1 goes.
    std::vector<std::string> destroys;
    for (auto& s : g_log)
        if (s.rfind("destroy", 0) == 0)
            destroys.push_back(s);
    EXPECT_EQ(destroys, (std::vector<std::string>{"destroy root", "destroy b", "destroy a", "destroy a1"}));
}

TEST(Component, FreeNotificationReachesListenerWhileRemovedIsWhole)
{
    g_log.clear();
    auto* form = new TProbe(nullptr, "form");
    auto* listener = new TProbe(nullptr, "listener");
    auto* edit = new TProbe(form, "edit");
    listener->FreeNotification(edit);
    edit->Free();
    ASSERT_FALSE(g_log.empty());
    EXPECT_EQ(g_log.front(), "listener hears edit (whole)");
    EXPECT_EQ(form->ComponentCount(), 0);
    // The listener forgot the edit: freeing the form now tells it nothing more.
    g_log.clear();
    form->Free();
    for (auto& s : g_log)
        EXPECT_EQ(s.find("listener"), std::string::npos) << s;
    listener->Free();
}

TEST(Component, ListenerGoingFirstIsForgotten)
{
    g_log.clear();
    auto* edit = new TProbe(nullptr, "edit");
    auto* listener = new TProbe(nullptr, "listener");
    listener->FreeNotification(edit);
    listener->Free();
    g_log.clear();
    edit->Free();  // must not call the freed listener
    EXPECT_EQ(g_log, (std::vector<std::string>{"destroy edit"}));
}

TEST(Component, NamesAreUniqueWithinOwnerAndClassNameIsTheClass)
{
    TOwned<TProbe> root(new TProbe(nullptr, "root"));
    auto* a = new TProbe(root.get(), "Edit1");
    EXPECT_THROW(new TProbe(root.get(), "EDIT1"), EComponentError);
    EXPECT_EQ(root->FindComponent("edit1"), a);
    EXPECT_EQ(a->ClassName(), "TProbe");
    EXPECT_EQ(root->ComponentCount(), 1);  // nothing half-built stays with the owner
}

TEST(Component, LoadingAndDesigningFlags)
{
    TOwned<TComponent> c(new TComponent(nullptr));
    c->SetLoading(true);
    EXPECT_TRUE(c->InState(csLoading));
    c->Loaded();
    EXPECT_FALSE(c->InState(csLoading));
    auto* child = new TComponent(c.get());
    c->SetDesigning(true);
    EXPECT_TRUE(child->InState(csDesigning));
    auto* late = new TComponent(c.get());
    EXPECT_TRUE(late->InState(csDesigning));
}

}  // namespace
