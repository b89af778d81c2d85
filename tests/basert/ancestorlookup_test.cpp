#include "basert/ancestorlookup.h"

#include "basert/datamodule.h"
#include "basert/filer.h"
#include "basert/formtext.h"
#include "test_classes.h"

#include <gtest/gtest.h>

using namespace fw;
using namespace fwtest;

namespace {

template <class T = TSample> T* Named(TComponent* owner, const String& name) {
  T* c = New<T>(owner);
  c->SetName(name);
  return c;
}

/// A base module with a button, an unnamed helper and a frame instance holding a label; a
/// module inheriting all of it, plus a component of its own.
struct Modules : ::testing::Test {
  TOwned<TDataModule> base{Named<TDataModule>(nullptr, "Base")};
  TOwned<TDataModule> form{Named<TDataModule>(nullptr, "Form")};
  TSample* baseButton = Named(base.get(), "Button");
  TSample* baseUnnamed = New<TSample>(base.get());
  TDataModule* baseFrame = Named<TDataModule>(base.get(), "Frame");
  TSample* baseLabel = Named(baseFrame, "Label");

  TSample* button = Named(form.get(), "BUTTON"); // names pair ignoring case
  TSample* unnamed = New<TSample>(form.get());
  TDataModule* frame = Named<TDataModule>(form.get(), "Frame");
  TSample* label = Named(frame, "Label");
  TSample* own = Named(form.get(), "Own");

  void SetUp() override {
    baseFrame->SetInline(true);
    frame->SetInline(true);
    for (TComponent* c : {static_cast<TComponent*>(button), static_cast<TComponent*>(unnamed),
                          static_cast<TComponent*>(frame), static_cast<TComponent*>(label)})
      c->SetAncestor(true);
  }
};

TEST_F(Modules, PairsByNameAndStartsANamingScopeAtEachNestedModule) {
  TAncestorLookup at = FindAncestorLookup(form.get(), base.get(), button);
  EXPECT_EQ(at.Ancestor, baseButton);
  EXPECT_EQ(at.Root, form.get());
  EXPECT_EQ(at.RootAncestor, base.get());

  EXPECT_EQ(FindAncestorLookup(form.get(), base.get(), unnamed).Ancestor, baseUnnamed);

  at = FindAncestorLookup(form.get(), base.get(), label);
  EXPECT_EQ(at.Ancestor, baseLabel);
  EXPECT_EQ(at.Root, frame);
  EXPECT_EQ(at.RootAncestor, baseFrame);

  // A component the ancestor lacks has no counterpart, but the roots of its level.
  at = FindAncestorLookup(form.get(), base.get(), own);
  EXPECT_EQ(at.Ancestor, nullptr);
  EXPECT_EQ(at.RootAncestor, base.get());

  // Nothing to walk towards: the root's own lookup.
  at = FindAncestorLookup(form.get(), base.get(), nullptr);
  EXPECT_EQ(at.Ancestor, base.get());
  EXPECT_EQ(at.Root, form.get());
  EXPECT_EQ(FindAncestorLookup(form.get(), nullptr, button).Ancestor, nullptr);
}

TEST_F(Modules, UnnamedPairsOnlyWithUnnamed) {
  std::vector<TComponent*> children{baseButton, baseUnnamed};
  EXPECT_EQ(FindAncestorChild(children, unnamed), baseUnnamed);
  EXPECT_EQ(FindAncestorChild({baseButton}, unnamed), nullptr);
  EXPECT_EQ(FindAncestorChild({baseUnnamed, nullptr}, own), nullptr);
}

/// A designed frame placed on a module: its class is "designed", and the frame's own module is
/// open elsewhere.
struct DesignedFrame : ::testing::Test {
  static TClass Designed;
  TOwned<TDataModule> frameModule{Named<TDataModule>(nullptr, "FrameModule")};
  TSample* original = Named(frameModule.get(), "Inner");
  TOwned<TDataModule> form{Named<TDataModule>(nullptr, "Form")};
  TDataModule* placed = nullptr; // the frame instance
  TSample* inner = nullptr;
  std::vector<String> asked;
  TFindAncestorRoot findRoot = [this](const String& className) -> TComponent* {
    asked.push_back(className);
    return className == "TDataModule" ? frameModule.get() : nullptr;
  };
  bool (*saved)(TClass) noexcept = IsDesignedClass;

  void SetUp() override {
    Designed = TDataModule::StaticClass();
    IsDesignedClass = [](TClass cls) noexcept { return cls == Designed; };
    original->FCaption = "from frame";
    placed = Named<TDataModule>(form.get(), "Frame1");
    placed->SetInline(true);
    inner = Named(placed, "Inner");
    inner->FCaption = "from frame";
    inner->SetAncestor(true);
  }
  void TearDown() override { IsDesignedClass = saved; }
};
TClass DesignedFrame::Designed = nullptr;

TEST_F(DesignedFrame, ComponentWithoutCounterpartOfADesignedClassInheritsFromItsModule) {
  TAncestorLookup at = FindAncestorLookup(form.get(), nullptr, inner, findRoot);
  EXPECT_EQ(at.Ancestor, original);
  EXPECT_EQ(at.RootAncestor, frameModule.get());
  EXPECT_EQ(at.Root, placed);
  EXPECT_EQ(asked, (std::vector<String>{"TDataModule"})); // the module's root is never looked up

  // Without the hook, or without a finder, the class is an ordinary one.
  IsDesignedClass = nullptr;
  EXPECT_EQ(FindAncestorLookup(form.get(), nullptr, inner, findRoot).Ancestor, nullptr);
  IsDesignedClass = [](TClass cls) noexcept { return cls == Designed; };
  EXPECT_EQ(FindAncestorLookup(form.get(), nullptr, inner).Ancestor, nullptr);
}

TEST_F(DesignedFrame, WriterWritesAPlacedFrameAgainstItsModule) {
  auto written = [&](bool withFinder) {
    TMemoryStream bin;
    {
      TWriter w(&bin, 1024);
      if (withFinder) w.OnFindAncestorRoot = findRoot;
      w.WriteDescendent(form.get(), nullptr);
    }
    bin.SetPosition(0);
    TMemoryStream text;
    ObjectBinaryToText(bin, text);
    return String(text.View());
  };
  EXPECT_NE(written(false).find("from frame"), String::npos);
  String text = written(true);
  EXPECT_EQ(text.find("from frame"), String::npos) << text;
  EXPECT_NE(text.find("inline Frame1: TDataModule"), String::npos) << text;
  inner->FCaption = "changed";
  EXPECT_NE(written(true).find("'changed'"), String::npos);
}

} // namespace
