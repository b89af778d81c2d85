#include "tree_sync.h"

#include <random>

namespace fwtest {

String NodeShape(TSprig* sprig, const String& caption, std::vector<String> kids, const TIds& ids) {
  if (!sprig->SortByIndex()) std::sort(kids.begin(), kids.end());
  auto it = ids.find(sprig->Item());
  String r = (it == ids.end() ? String("?") : it->second) + ":" + caption + "(";
  for (const String& k : kids)
    r += k + ",";
  return r + ")";
}

String Shape(TSprig* s, const TIds& ids) {
  std::vector<String> kids;
  for (TSprig* c : s->Children())
    kids.push_back(Shape(c, ids));
  return NodeShape(s, ShortenedCaption(s->Caption()), std::move(kids), ids);
}

void TreeSync::RandomEdits(unsigned seed, int steps,
                           const std::function<String(const TIds&)>& shown) {
  std::mt19937 rng(seed);
  std::vector<TTestControl*> live;
  std::map<const TPersistent*, String> serials;
  int serial = 0;
  auto pick = [&]() { return live[rng() % live.size()]; };
  for (int step = 0; step < steps; ++step) {
    const bool bracket = rng() % 4 == 0;
    if (bracket) root->BeginUpdate();
    const unsigned op = live.empty() ? 0 : rng() % 10;
    if (op <= 3) {
      TTestControl* parent = !live.empty() && rng() % 3 ? pick() : nullptr;
      if (rng() % 4 == 0) {
        // Pasted: a new parent announced after its new child.
        auto* p = New<TTestControl>(form);
        p->SetDesigning(true);
        p->SetParent(parent);
        parent = p;
      }
      live.push_back(Insert("C" + std::to_string(++serial), parent));
      serials[live.back()] = "c" + std::to_string(serial);
      if (parent && std::find(live.begin(), live.end(), parent) == live.end()) {
        live.push_back(parent);
        serials[parent] = "p" + std::to_string(serial);
        DesignNotificationItemInserted(keep, parent);
      }
    } else if (op <= 5) {
      TTestControl* victim = pick();
      std::erase(live, victim);
      Delete(victim);
    } else if (op == 6) {
      const unsigned kind = rng() % 3;
      // Long names too: the display shows them shortened.
      pick()->SetName(kind == 0   ? String()
                      : kind == 1 ? "R" + std::to_string(++serial)
                                  : "L" + String(80, 'x') + std::to_string(++serial));
      DesignNotificationItemsModified(keep);
    } else if (op == 7) {
      TTestControl* c = pick();
      TTestControl* p = rng() % 4 ? pick() : nullptr;
      bool cycle = false;
      for (TTestControl* q = p; q; q = q->GetParent())
        cycle = cycle || q == c;
      if (!cycle) Reparent(c, p);
    } else if (op == 8) {
      TCollectionItem* item = pick()->GetItems()->Add();
      DesignNotificationItemInserted(keep, item);
    } else {
      TOwnedCollection* items = pick()->GetItems();
      if (items->Count() > 0) {
        TCollectionItem* item = items->Items(static_cast<Integer>(rng() % items->Count()));
        DesignNotificationItemDeleted(keep, item);
        item->Free();
        DesignNotificationItemsModified(keep); // captions of the later items change
      }
    }
    if (bracket) root->EndUpdate();
    if (step % 7 != 0) continue;

    TIds ids{{form, "Form1"}, {form->GetItems(), "Form1.items"}};
    for (TTestControl* c : live) {
      ids[c] = serials[c];
      ids[c->GetItems()] = ids[c] + ".items";
      for (TCollectionItem* i : c->GetItems()->ItemList())
        ids[i] = ids[c] + "." + std::to_string(i->ID());
    }
    root->RefreshTreeView();
    TOwned<TRootSprig> fresh(new TRootSprig(form));
    fresh->SetDesigner(keep);
    fresh->Repopulate();
    const String expected = Shape(fresh.get(), ids);
    ASSERT_EQ(Shape(root, ids), expected) << "after step " << step;
    ASSERT_EQ(shown(ids), expected) << "display after step " << step;
    ASSERT_EQ(root->IndexCount(), fresh->IndexCount());
  }
}

} // namespace fwtest
