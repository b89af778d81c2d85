#include "stdeditors_test_classes.h"

#include "basert/datamodule.h"

namespace fwtest {
namespace {

TEST_F(EditorsTest, ClassPropertiesOfferTheirObjectsProperties) {
  auto* a = Make<TEdSample>("A");
  auto* b = Make<TEdSample>("B");
  IPtr<IProperty> font = Prop({a, b}, "Font");
  EXPECT_EQ(font->GetValue(), "(TFontLike)");
  EXPECT_EQ(font->GetAttributes(),
            (TPropertyAttributes{paSubProperties, paMultiSelect, paReadOnly}));
  auto subs = Subs(font);
  EXPECT_EQ(NamesOf(subs), (Strings{"Name", "Size"}));
  subs[1]->SetValue("12");
  EXPECT_EQ(a->FFont->FSize, 12);
  EXPECT_EQ(b->FFont->FSize, 12);
}

TEST_F(EditorsTest, ComponentReferencesListAndAcceptComponentsOfTheirClass) {
  auto* a = Make<TEdSample>("Sample1");
  auto* b = Make<TEdSample>("Sample2");
  auto* other = Make<TWidget>("Other1");
  IPtr<IProperty> peer = Prop({a}, "Peer");
  EXPECT_EQ(Values(peer), (Strings{"Sample1", "Sample2"}));
  EXPECT_EQ(Values(Prop({a}, "Buddy")), (Strings{"Sample1", "Sample2", "Other1"}));
  EXPECT_EQ(peer->GetEditLimit(), 127);
  peer->SetValue("sample2");
  EXPECT_EQ(a->FPeer, b);
  EXPECT_EQ(peer->GetValue(), "Sample2");
  ExpectRejected(peer, "Other1", "Invalid property value");
  ExpectRejected(peer, "Missing", "Invalid property value");
  peer->SetValue("");
  EXPECT_EQ(a->FPeer, nullptr);
  Prop({a}, "Buddy")->SetValue("Other1");
  EXPECT_EQ(a->FBuddy, other);
}

TEST_F(EditorsTest, AReferenceExpandsOnlyWhenSharedAndDesigned) {
  auto* a = Make<TEdSample>("A");
  auto* b = Make<TEdSample>("B");
  auto* target = Make<TEdSample>("Target");
  IPtr<IProperty> peer = Prop({a, b}, "Peer");
  const TPropertyAttributes flat{paValueList, paSortList, paRevertable, paMultiSelect};
  EXPECT_FALSE(peer->AllEqual()); // nil never counts as equal
  EXPECT_EQ(peer->GetAttributes(), flat);
  EXPECT_TRUE(Subs(peer).empty());

  a->FPeer = b->FPeer = target;
  EXPECT_TRUE(peer->AllEqual());
  const TPropertyAttributes expanded =
      flat + TPropertyAttributes{paSubProperties, paVolatileSubProperties};
  EXPECT_EQ(peer->GetAttributes(), expanded);
  auto subs = NamesOf(Subs(peer));
  EXPECT_TRUE(Has(subs, "OnClick")) << "events too";
  EXPECT_FALSE(Has(subs, "Name")) << "not nestable";
  EXPECT_TRUE(Has(subs, "Title"));

  GReferenceExpandable = false;
  EXPECT_EQ(peer->GetAttributes(), flat);
  GReferenceExpandable = true;
  b->FPeer = a;
  EXPECT_FALSE(peer->AllEqual());
  EXPECT_EQ(peer->GetAttributes(), flat);
  // Without a root designer the shared reference is not expandable either.
  b->FPeer = target;
  form->SetDesigner(nullptr);
  EXPECT_FALSE(peer->AllEqual());
}

TEST_F(EditorsTest, ControlClickOnAReferenceSelectsTheComponent) {
  auto* a = Make<TEdSample>("A");
  auto* b = Make<TEdSample>("B");
  a->FPeer = b;
  IPtr<IProperty> peer = Prop({a}, "Peer");
  d->ShiftState = {ssCtrl, ssLeft};
  peer->Edit();
  EXPECT_EQ(d->Selected, std::vector<TPersistent*>{b});
  EXPECT_EQ(a->FPeer, b);
  d->ShiftState = {ssLeft};
  peer->Edit(); // cycles to the value after B
  EXPECT_EQ(d->Selected.size(), 1u);
  EXPECT_EQ(a->FPeer, a);
}

TEST_F(EditorsTest, ReferencesShowTheirComponentBesideThemUnlessNested) {
  auto* a = Make<TEdSample>("A");
  TOwned<TEdSample> loose{New<TEdSample>(nullptr)};
  auto* module = Make<TDataModule>("Module");
  auto* inModule = New<TEdSample>(module);
  auto* holder = Make<TComponent>("Holder");
  auto* nested = New<TEdSample>(holder);
  auto* sub = New<TEdSample>(holder);
  sub->SetSubComponent(true);
  IPtr<IProperty> peer = Prop({a}, "Peer");
  auto show = [&](TEdSample* target) {
    a->FPeer = target;
    return QueryIntf<IShowReferenceProperty>(peer)->ShowReferenceProperty();
  };
  EXPECT_TRUE(show(nullptr));
  EXPECT_TRUE(show(a));
  EXPECT_FALSE(show(loose.get()));
  EXPECT_TRUE(show(inModule));
  EXPECT_FALSE(show(nested));
  EXPECT_TRUE(show(sub));
  a->FPeer = nullptr;
}

TEST_F(EditorsTest, InterfaceReferencesListOnlyComponentsThatSupportTheInterface) {
  auto* a = Make<TEdSample>("Sample1");
  auto* b = Make<TEdSample>("Sample2");
  Make<TWidget>("Other1");
  IPtr<IProperty> shape = Prop({a, b}, "Shape");
  EXPECT_EQ(Values(shape), (Strings{"Sample1", "Sample2"}));
  shape->SetValue("Sample2");
  EXPECT_EQ(a->FShape.get(), static_cast<IShape*>(b));
  EXPECT_EQ(b->FShape.get(), static_cast<IShape*>(b));
  EXPECT_EQ(shape->GetValue(), "Sample2");
  EXPECT_EQ(QueryIntf<IReferenceProperty>(shape)->GetComponentReference(), b);
  EXPECT_TRUE(shape->AllEqual());
  EXPECT_TRUE(shape->GetAttributes().Contains(paSubProperties));
  ExpectRejected(shape, "Other1", "Invalid property value");
  ExpectRejected(shape, "Nobody", "Invalid property value");
  shape->SetValue("");
  EXPECT_FALSE(a->FShape);
  EXPECT_FALSE(shape->AllEqual());
}

TEST_F(EditorsTest, EventsGetHandlersNamedAfterTheirComponent) {
  auto* button = Make<TEdSample>("Button1");
  IPtr<IProperty> click = Prop({button}, "OnClick");
  EXPECT_EQ(click->GetAttributes(),
            (TPropertyAttributes{paValueList, paMultiSelect, paSortList, paRevertable}));
  click->Edit();
  EXPECT_EQ(click->GetValue(), "Button1Click");
  EXPECT_EQ(d->Created, Strings{"Button1Click"});
  EXPECT_EQ(d->Shown, (Strings{"Button1Click", "Button1Click"}));
  click->Edit(); // now it only shows the handler
  EXPECT_EQ(d->Shown.size(), 3u);
  EXPECT_EQ(d->Created.size(), 1u);

  IPtr<IProperty> create = Prop({form.get()}, "OnCreate");
  create->Edit();
  EXPECT_EQ(create->GetValue(), "Form1Create");
  EXPECT_EQ(Values(click), (Strings{"Button1Click", "Form1Create"}));
}

TEST_F(EditorsTest, EventTextRenamesOrRepointsTheHandler) {
  auto* button = Make<TEdSample>("Button1");
  IPtr<IProperty> click = Prop({button}, "OnClick");
  click->SetValue("Button1Click");
  const TMethod made = button->FOnClick;
  click->SetValue("OkClick"); // free name: the handler is renamed
  EXPECT_EQ(d->Renamed, (std::vector<std::pair<String, String>>{{"Button1Click", "OkClick"}}));
  EXPECT_EQ(button->FOnClick, made);
  EXPECT_EQ(click->GetValue(), "OkClick");

  d->AddMethod("CancelClick");
  d->Shown.clear();
  click->SetValue("CancelClick"); // taken: the event points at it, nothing renamed or shown
  EXPECT_EQ(click->GetValue(), "CancelClick");
  EXPECT_EQ(d->Renamed.size(), 1u);
  EXPECT_TRUE(d->Shown.empty());
  EXPECT_EQ(d->FindMethod(made.Code)->Name, "OkClick");

  click->SetValue("");
  EXPECT_EQ(button->FOnClick, TMethod{});

  // An inherited handler is never renamed: a new one is made instead.
  static_cast<TMethod&>(button->FOnClick) = d->AddMethod("BaseClick", nullptr, true);
  click->SetValue("MineClick");
  EXPECT_EQ(click->GetValue(), "MineClick");
  EXPECT_EQ(d->FindMethod("BaseClick")->Name, "BaseClick");
  EXPECT_EQ(d->Renamed.size(), 1u);
}

TEST_F(EditorsTest, ANewHandlerChainsToTheComponentsHandlerItReplaces) {
  auto* source = Make<TEdSample>("Source");
  auto* button = Make<TEdSample>("Button2");
  static_cast<TMethod&>(button->FOnClick) =
      TMethod{source->MethodAddress("HandleClick"), static_cast<TObject*>(source)};
  Prop({button}, "OnClick")->SetValue("Button2Click");
  EXPECT_EQ(d->Chained, (std::vector<Strings>{{"Button2Click", "Source", "HandleClick"}}));
  EXPECT_EQ(d->Shown, Strings{"Button2Click"});
}

TEST_F(EditorsTest, EventsOfUnnamedComponentsCannotGetHandlers) {
  auto* named = Make<TEdSample>("Named");
  auto* unnamed = New<TEdSample>(form.get());
  IPtr<IProperty> click = Prop({unnamed}, "OnClick");
  const String message = "Cannot create a method for an unnamed component";
  ExpectRejected(click, "SomeClick", message);
  EXPECT_EQ(MessageOf<EDesignPropertyError>([&] { click->Edit(); }), message);
  ExpectRejected(Prop({named, unnamed}, "OnClick"), "SomeClick", message);
  EXPECT_TRUE(d->Created.empty());
  EXPECT_EQ(unnamed->FOnClick, TMethod{});
}

} // namespace
} // namespace fwtest
