// Form-file building: components created and properties assigned from a checked tree,
// all undone when any step fails.
#include "korin/platform/core/FormFileTree.h"

#include <algorithm>
#include <climits>
#include <string>

namespace korin {
namespace formfile {

namespace {

// ---- Snapshot of the root's properties, for putting them back after a failure ------

struct TSnap {
    const TPropInfo* Prop = nullptr;
    TPropValue Value;
    std::any Handler;
    std::vector<TSnap> Sub;
    std::vector<std::vector<TSnap>> Items;
};

TSnap Capture(TObject* o, const TPropInfo* p, int Depth)
{
    TSnap s;
    s.Prop = p;
    if (Depth > 32)
        return s;
    switch (p->Kind) {
    case pkObject:
        if (TObject* sub = p->GetObject(o))
            if (const TClassInfo* c = GetClass(p->ClassName))
                for (const TPropInfo* q : c->Properties())
                    s.Sub.push_back(Capture(sub, q, Depth + 1));
        break;
    case pkCollection:
        if (const TClassInfo* c = GetClass(p->ClassName))
            for (int i = 0, n = p->Count(o); i < n; ++i) {
                TObject* item = p->Item(o, i);
                std::vector<TSnap> props;
                for (const TPropInfo* q : c->Properties())
                    props.push_back(Capture(item, q, Depth + 1));
                s.Items.push_back(std::move(props));
            }
        break;
    case pkMethod:
        s.Handler = p->GetHandler(o);
        break;
    default:
        s.Value = p->Get(o);
        break;
    }
    return s;
}

void Restore(TObject* o, const TSnap& s)
{
    // Putting back is best effort: one property that refuses does not stop the others.
    try {
        switch (s.Prop->Kind) {
        case pkObject:
            if (TObject* sub = s.Prop->GetObject(o))
                for (const TSnap& q : s.Sub)
                    Restore(sub, q);
            break;
        case pkCollection:
            s.Prop->Clear(o);
            for (const auto& props : s.Items) {
                TObject* item = s.Prop->Add(o);
                for (const TSnap& q : props)
                    Restore(item, q);
            }
            break;
        case pkMethod:
            s.Prop->SetHandler(o, s.Handler);
            break;
        default:
            if (!std::holds_alternative<std::monostate>(s.Value))
                s.Prop->Set(o, s.Value);
            break;
        }
    } catch (const Exception&) {
        // A setter that refuses its old value back leaves that one property as the file
        // set it; the read is failing anyway and reports its own error. Anything else
        // (out of memory, a fault in the setter) is not ours to swallow.
    }
}

// ---- Building -----------------------------------------------------------------------

class TBuilder {
public:
    explicit TBuilder(TComponent* Root) : Root(Root) {}

    std::vector<TComponent*> Created;

    void AssignAll(TObject* Target, std::vector<TPropNode>& Props, const TClassInfo& Class)
    {
        for (TPropNode& p : Props)
            Assign(Target, p, Class);
    }

    void Build(TObjectNode& n, TComponent* Component)
    {
        AssignAll(Component, n.Props, *n.Class);
        for (TObjectNode& childNode : n.Children) {
            TComponent* child = nullptr;
            try {
                child = childNode.Class->Create(Root);
            } catch (const EReadError&) {
                throw;
            } catch (const Exception& e) {
                Fail(childNode.Line, e.Message());
            }
            Created.push_back(child);
            child->SetLoading(true);
            try {
                if (!childNode.Name.empty())
                    child->SetName(childNode.Name);
                child->SetParentComponent(Component);
            } catch (const EReadError&) {
                throw;
            } catch (const Exception& e) {
                Fail(childNode.Line, e.Message());
            }
            Build(childNode, child);
        }
    }

    void ResolveReferences()
    {
        for (TRef& r : Refs) {
            TComponent* c = SameText(r.Name, Root->Name()) ? Root : Root->FindComponent(r.Name);
            if (!c)
                Fail(r.Line, "unknown component '" + r.Name + "' for " + r.Desc);
            if (r.Prop->Accepts && !r.Prop->Accepts(c))
                Fail(r.Line, "component '" + r.Name + "' does not fit " + r.Desc);
            Guarded(r.Line, [&] { r.Prop->Set(r.Target, TPropValue(c)); });
        }
    }

private:
    struct TRef {
        TObject* Target;
        const TPropInfo* Prop;
        std::string Name;
        int Line;
        std::string Desc;
    };

    template <class F>
    void Guarded(int Line, F&& Action)
    {
        try {
            Action();
        } catch (const EReadError&) {
            throw;
        } catch (const Exception& e) {
            Fail(Line, e.Message());
        }
    }

    void Assign(TObject* Target, TPropNode& p, const TClassInfo& Class)
    {
        const std::string desc = PropDesc(p, Class);
        TObject* target = Target;
        for (const TPropInfo* via : p.Via) {
            target = via->GetObject(target);
            if (!target)
                Fail(p.Line, "no object behind " + desc);
        }
        const TPropInfo& info = *p.Prop;
        switch (info.Kind) {
        case pkComponent:
            Refs.push_back(TRef{target, &info, p.Value.Str, p.Value.Line, desc});
            break;
        case pkMethod: {
            const std::any* handler = Root->FindMethod(p.Value.Str);
            if (!handler)
                Fail(p.Value.Line, "unknown method '" + p.Value.Str + "' for " + desc);
            if (!info.AcceptsHandler(*handler))
                Fail(p.Value.Line, "method '" + p.Value.Str + "' does not fit " + desc);
            Guarded(p.Line, [&] { info.Bind(target, p.Value.Str, *handler); });
            break;
        }
        case pkCollection: {
            const TClassInfo& itemClass = FindClass(info.ClassName);
            Guarded(p.Line, [&] { info.Clear(target); });
            for (TItemNode& item : p.Value.Items) {
                TObject* it = nullptr;
                Guarded(item.Line, [&] { it = info.Add(target); });
                AssignAll(it, item.Props, itemClass);
            }
            break;
        }
        default:
            Guarded(p.Line, [&] { info.Set(target, p.Converted); });
            break;
        }
    }

    TComponent* Root;
    std::vector<TRef> Refs;
};

} // namespace

// Runs the build on Root; on any failure frees what was created, puts the touched
// properties of an existing root back and rethrows.
void BuildInto(TObjectNode& Tree, TComponent* Root, bool FreshRoot)
{
    TBuilder builder(Root);
    std::vector<TSnap> snaps;
    const bool wasLoading = Root->InState(csLoading);
    const std::string oldName = Root->Name();
    if (!FreshRoot) {
        std::vector<const TPropInfo*> touched;
        for (const TPropNode& p : Tree.Props) {
            const TPropInfo* top = p.Via.empty() ? p.Prop : p.Via.front();
            if (std::find(touched.begin(), touched.end(), top) == touched.end())
                touched.push_back(top);
        }
        for (const TPropInfo* p : touched)
            snaps.push_back(Capture(Root, p, 0));
    }
    try {
        Root->SetLoading(true);
        if (Root->Name().empty() && !Tree.Name.empty()) {
            try {
                Root->SetName(Tree.Name);
            } catch (const Exception& e) {
                Fail(Tree.Line, e.Message());
            }
        }
        builder.Build(Tree, Root);
        builder.ResolveReferences();
        for (TComponent* c : builder.Created) {
            c->Loaded();
            c->SetLoading(false);
        }
        Root->Loaded();
        Root->SetLoading(false);
    } catch (...) {
        // Children go before the components they sit on: created ones are freed last first.
        for (auto it = builder.Created.rbegin(); it != builder.Created.rend(); ++it)
            (*it)->Free();
        if (!FreshRoot) {
            for (auto it = snaps.rbegin(); it != snaps.rend(); ++it)
                Restore(Root, *it);
            if (Root->Name() != oldName) {
                try {
                    Root->SetName(oldName);
                } catch (const Exception&) {
                    // The old name was taken meanwhile; the read's own error is reported.
                }
            }
            Root->SetLoading(wasLoading);
        }
        throw;
    }
}

}  // namespace formfile
}  // namespace korin
