#include "scan/scanner_base.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/errors.h"

namespace varnel {
namespace {

// A scanner with attributes only; the contract's scanning is not exercised here.
class TAttributeScanner : public TCustomScanner {
 public:
  static const TScannerClass& StaticClass() {
    static const TScannerClass kind{"TAttributeScanner", &TCustomScanner::StaticClass(), nullptr};
    return kind;
  }
  const TScannerClass& ClassType() const override { return StaticClass(); }

  explicit TAttributeScanner(std::vector<std::string> names) {
    for (auto& name : names) RegisterAttribute(std::make_unique<TTokenAttributes>(std::move(name)));
    BindAttributeChanges();
  }
  TTokenAttributes* RoleAttribute(int) const override { return nullptr; }
  bool LineDone() const override { return true; }
  std::string_view TokenView() const override { return {}; }
  TTokenAttributes* TokenAttribute() const override { return nullptr; }
  int TokenKind() const override { return 0; }
  int TokenStart() const override { return 0; }
  void NextToken() override {}
  void StartLine(std::string_view, int) override {}

  TTokenAttributes* Named(const std::string& name) const {
    for (int i = 0; i < AttributeCount(); ++i) {
      if (AttributeAt(i)->Name() == name) return AttributeAt(i);
    }
    return nullptr;
  }
};

// Records every notification a subscriber receives.
struct Recorder {
  std::vector<TPersistent*> senders;
  static void Record(void* context, TPersistent* sender) {
    static_cast<Recorder*>(context)->senders.push_back(sender);
  }
  TNotifyEvent Event() { return TNotifyEvent{&Record, this}; }
};

const std::vector<std::string> kHtmlNames = {"Comment", "Identifier", "Reserved Word",
                                             "Space",   "Symbol",     "Text",
                                             "Unknown Word", "Value", "Escape Ampersand"};

TEST(ScannerBase, AttributesAreListedByNameIgnoringCase) {
  TAttributeScanner scanner(kHtmlNames);
  const std::vector<std::string> expected = {"Comment", "Escape Ampersand", "Identifier",
                                             "Reserved Word", "Space", "Symbol",
                                             "Text", "Unknown Word", "Value"};
  ASSERT_EQ(scanner.AttributeCount(), 9);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(scanner.AttributeAt(i)->Name(), expected[static_cast<size_t>(i)]);
  EXPECT_EQ(scanner.AttributeAt(-1), nullptr);
  EXPECT_EQ(scanner.AttributeAt(9), nullptr);

  // A blank sorts before letters, and a name before the longer names it begins.
  TAttributeScanner order({"ab", "a b", "A", "b"});
  EXPECT_EQ(order.AttributeAt(0)->Name(), "A");
  EXPECT_EQ(order.AttributeAt(1)->Name(), "a b");
  EXPECT_EQ(order.AttributeAt(2)->Name(), "ab");
  EXPECT_EQ(order.AttributeAt(3)->Name(), "b");
}

TEST(ScannerBase, DuplicateNamesAreRefused) {
  TAttributeScanner scanner({"Text"});
  try {
    scanner.RegisterAttribute(std::make_unique<TTokenAttributes>("TEXT"));
    FAIL() << "no error";
  } catch (const EStringListError& e) {
    EXPECT_STREQ(e.what(), "String list does not allow duplicates");
  }
  EXPECT_EQ(scanner.AttributeCount(), 1);
}

TEST(ScannerBase, ChangesNotifyOnlyWhenValuesChange) {
  TAttributeScanner scanner({"Text", "Value"});
  TTokenAttributes* text = scanner.Named("Text");
  EXPECT_EQ(text->Foreground(), clNone);
  EXPECT_EQ(text->Background(), clNone);
  EXPECT_EQ(text->Style(), 0);
  EXPECT_FALSE(text->ForegroundStored());

  Recorder recorder;
  scanner.SubscribeToChanges(recorder.Event());
  text->SetForeground(clNone);
  text->SetStyle(0);
  EXPECT_TRUE(recorder.senders.empty());
  text->SetForeground(0x0000FF);
  EXPECT_EQ(recorder.senders, std::vector<TPersistent*>{text});
  EXPECT_TRUE(text->ForegroundStored());
  EXPECT_FALSE(text->StyleStored());

  // Copying equal colours under another name notifies nobody.
  TTokenAttributes other("Other");
  other.SetForeground(0x0000FF);
  recorder.senders.clear();
  text->CopyFrom(&other);
  EXPECT_EQ(text->Name(), "Other");
  EXPECT_TRUE(recorder.senders.empty());
  other.SetStyle(fsBold | fsItalic);
  text->CopyFrom(&other);
  EXPECT_EQ(recorder.senders.size(), 1u);

  // Enabled notifies once with no sender, and only on a change.
  recorder.senders.clear();
  scanner.SetEnabled(true);
  scanner.SetEnabled(false);
  EXPECT_EQ(recorder.senders, std::vector<TPersistent*>{nullptr});
}

TEST(ScannerBase, LoadingHoldsNotificationsBack) {
  TAttributeScanner scanner({"Text"});
  Recorder recorder;
  scanner.SubscribeToChanges(recorder.Event());
  scanner.BeginLoading();
  scanner.Named("Text")->SetStyle(fsBold);
  EXPECT_TRUE(recorder.senders.empty());
  scanner.AfterLoading();
  EXPECT_EQ(recorder.senders, std::vector<TPersistent*>{nullptr});
}

TEST(ScannerBase, SubscribersTwiceAreCalledTwiceAndRemovedTogether) {
  TAttributeScanner scanner({"Text"});
  Recorder recorder;
  scanner.SubscribeToChanges(recorder.Event());
  scanner.SubscribeToChanges(recorder.Event());
  scanner.Named("Text")->SetStyle(fsBold);
  EXPECT_EQ(recorder.senders.size(), 2u);
  scanner.UnsubscribeFromChanges(recorder.Event());
  scanner.Named("Text")->SetStyle(0);
  EXPECT_EQ(recorder.senders.size(), 2u);
}

TEST(ScannerBase, ASubscriberErrorStopsTheNotification) {
  TAttributeScanner scanner({"Text"});
  Recorder after;
  scanner.SubscribeToChanges(TNotifyEvent{[](void*, TPersistent*) { throw Exception("subscriber failed"); }, nullptr});
  scanner.SubscribeToChanges(after.Event());
  TTokenAttributes* text = scanner.Named("Text");
  EXPECT_THROW(text->SetForeground(1), Exception);
  EXPECT_EQ(text->Foreground(), 1);  // stored before the subscribers ran
  EXPECT_TRUE(after.senders.empty());
}

TEST(ScannerBase, CopyFromOtherKindsFails) {
  TAttributeScanner scanner({"Text"});
  TTokenAttributes attribute("Text");
  try {
    attribute.CopyFrom(&scanner);
    FAIL() << "no error";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "Cannot assign a TAttributeScanner to a TTokenAttributes");
  }
  try {
    scanner.CopyFrom(nullptr);
    FAIL() << "no error";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "Cannot assign a nil to a TAttributeScanner");
  }
}

TEST(ScannerBase, CopyFromAnotherScanner) {
  TAttributeScanner source({"Text", "Value"});
  source.Named("Value")->SetForeground(0x123456);
  source.ChangeDefaultFilter("Pages|*.htm");
  source.SetEnabled(false);
  TAttributeScanner target({"Value", "value2"});
  target.CopyFrom(&source);
  EXPECT_EQ(target.Named("Value")->Foreground(), 0x123456);
  EXPECT_EQ(target.DefaultFilterValue(), "Pages|*.htm");
  EXPECT_FALSE(target.Enabled());
}

TEST(ScannerBase, RegistryHoldsEachKindOnce) {
  TScannerList list;
  list.Add(TAttributeScanner::StaticClass());
  list.Add(TAttributeScanner::StaticClass());
  EXPECT_EQ(list.Count(), 1);
  EXPECT_TRUE(list.At(0)->InheritsFrom(&TCustomScanner::StaticClass()));
  EXPECT_EQ(list.At(1), nullptr);
}

}  // namespace
}  // namespace varnel
