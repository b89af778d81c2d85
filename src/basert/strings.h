// String lists: the abstract TStrings and the concrete, optionally sorted TStringList.
#pragma once

#include "basert/persistent.h"
#include "basert/textblock.h"
#include "basert/types.h"

#include <cstring>
#include <functional>
#include <string_view>
#include <vector>

namespace fw {

// Resource strings.
inline constexpr std::string_view sSortedListError = "Operation not allowed on sorted list";
inline constexpr std::string_view sDuplicateString = "String list does not allow duplicates";

/// A list of strings, each with an associated object pointer. The storage is left to
/// descendants (Get, Put, GetCount, InsertObject, Delete, Clear...); everything else is built on
/// those. Index errors raise EStringListError "List index out of bounds (%d)".
class TStrings : public TPersistent {
  FW_CLASS(TStrings)
public:
  // --- the storage operations descendants provide ---
  virtual Integer Count() const = 0;
  virtual String Get(Integer index) const = 0;
  virtual void Put(Integer index, std::string_view s);
  virtual TObject* GetObject(Integer index) const;
  virtual void PutObject(Integer index, TObject* obj);
  virtual void Insert(Integer index, std::string_view s) = 0;
  virtual void InsertObject(Integer index, std::string_view s, TObject* obj);
  virtual void Delete(Integer index) = 0;
  virtual void Clear() = 0;

  // --- list operations ---
  /// Appends; answers the index where the string went (a sorted list may put it elsewhere).
  virtual Integer Add(std::string_view s);
  virtual Integer AddObject(std::string_view s, TObject* obj);
  /// Add for a line that lies inside `block`: a list that can keep it there refers to the block
  /// instead of copying the line.
  virtual Integer AddShared(std::string_view s, TTextBlock& block);
  /// Adds every string (and object) of `other`.
  virtual void AddStrings(const TStrings& other);
  /// From another TStrings: replaces the content with its strings and objects, and takes its
  /// delimiter, quote character, separators and line break. Other sources as TPersistent.
  void Assign(TPersistent* source) override;
  void Assign(const TStrings& other) { Assign(const_cast<TStrings*>(&other)); }
  /// Streams the lines as "Strings", a list of strings, when there are any (or, against an
  /// ancestor, when they differ from its lines).
  void DefineProperties(TFiler* filer) override;
  /// Moves the line at `cur` to `to`, keeping its object.
  virtual void Move(Integer cur, Integer to);
  virtual void Exchange(Integer index1, Integer index2);
  /// The index of the first string equal to `s` under CompareStrings, or -1.
  virtual Integer IndexOf(std::string_view s) const;
  /// The index of the first "name=value" line whose name equals `name`, or -1.
  virtual Integer IndexOfName(std::string_view name) const;
  Integer IndexOfObject(const TObject* obj) const;
  /// Same count and byte-equal strings in the same order (objects are not compared).
  bool Equals(const TStrings& other) const;

  String Strings(Integer index) const { return Get(index); }
  void SetStrings(Integer index, std::string_view s) { Put(index, s); }
  String operator[](Integer index) const { return Get(index); }
  TObject* Objects(Integer index) const { return GetObject(index); }
  void SetObjects(Integer index, TObject* obj) { PutObject(index, obj); }

  // --- name=value lines ---
  /// The part before the first NameValueSeparator; empty when the line has none.
  String Names(Integer index) const;
  /// The part after the first NameValueSeparator of the line named `name`; empty when absent.
  String Values(std::string_view name) const;
  /// Sets the line named `name` (appending it when absent); an empty value deletes the line.
  /// In a sorted list the line moves to where it sorts.
  void SetValues(std::string_view name, std::string_view value);
  /// The part after the first separator of line `index`; empty when the line has none.
  String ValueFromIndex(Integer index) const;
  /// Replaces the value of line `index`; an empty value deletes the line.
  void SetValueFromIndex(Integer index, std::string_view value);

  // --- whole-text forms ---
  /// Every string followed by LineBreak (the last one too unless TrailingLineBreak is off).
  String Text() const;
  /// Splits at CRLF, LF or CR; a final line break does not add an empty line.
  void SetText(std::string_view text);
  /// The strings joined with ',', each quoted with '"' when it holds a space, control
  /// character, comma or quote (quotes doubled). One empty string gives "\"\"".
  String CommaText() const;
  /// Parses comma text: commas and (outside quotes) spaces separate strings.
  void SetCommaText(std::string_view text);
  /// As CommaText with Delimiter and QuoteChar; with StrictDelimiter only the delimiter
  /// separates and strings holding spaces are not quoted.
  String DelimitedText() const;
  void SetDelimitedText(std::string_view text);

  char Delimiter() const { return FDelimiter; }
  void SetDelimiter(char c) { FDelimiter = c; }
  char QuoteChar() const { return FQuoteChar; }
  void SetQuoteChar(char c) { FQuoteChar = c; }
  bool StrictDelimiter() const { return FStrictDelimiter; }
  void SetStrictDelimiter(bool v) { FStrictDelimiter = v; }
  char NameValueSeparator() const { return FNameValueSeparator; }
  void SetNameValueSeparator(char c) { FNameValueSeparator = c; }
  const String& LineBreak() const { return FLineBreak; }
  void SetLineBreak(std::string_view lb) { FLineBreak = String(lb); }
  bool TrailingLineBreak() const { return FTrailingLineBreak; }
  void SetTrailingLineBreak(bool v) { FTrailingLineBreak = v; }

  // --- batching ---
  /// Nested; change notifications are held back until the outermost EndUpdate.
  void BeginUpdate();
  void EndUpdate();
  Integer UpdateCount() const { return FUpdateCount; }

  // --- files ---
  /// Replaces the content with the decoded bytes: a UTF-8 byte-order mark is skipped, UTF-16
  /// text with a byte-order mark is converted to UTF-8; anything else is taken as UTF-8.
  void LoadFromBytes(std::string_view bytes);
  /// LoadFromBytes of everything from the stream's position to its end.
  void LoadFromStream(TStream& stream);
  /// Writes Text as UTF-8 without a byte-order mark at the stream's position.
  void SaveToStream(TStream& stream) const;
  /// Raises EFOpenError "Cannot open file \"%s\". %s" when the file cannot be read.
  void LoadFromFile(const String& fileName);
  /// Writes Text as UTF-8 without a byte-order mark, replacing the file only once the whole
  /// text is written; raises EFCreateError (sCannotWrite) when it cannot be, leaving the old
  /// file as it was.
  void SaveToFile(const String& fileName) const;

protected:
  /// Compares two strings the way this list does (TStrings: ignoring ASCII case).
  virtual int CompareStrings(std::string_view a, std::string_view b) const;
  /// Called by BeginUpdate (true) when the count leaves 0 and by EndUpdate (false) when it
  /// returns to 0.
  virtual void SetUpdateState(bool /*updating*/) {}
  /// Raises EStringListError with `msg` (its "%d" replaced by `index`).
  [[noreturn]] static void Error(std::string_view msg, Integer index);
  /// Replaces line `index` with `line` on behalf of SetValues and SetValueFromIndex.
  virtual void ReplaceLine(Integer index, std::string_view line);
  String GetDelimited(char delimiter, char quote, bool strict) const;
  void SetDelimited(std::string_view text, char delimiter, char quote, bool strict);

private:
  Integer FUpdateCount = 0;
  char FDelimiter = ',';
  char FQuoteChar = '"';
  bool FStrictDelimiter = false;
  char FNameValueSeparator = '=';
  bool FTrailingLineBreak = true;
  String FLineBreak{sLineBreak};
};

enum TDuplicates { dupIgnore, dupAccept, dupError };

namespace detail {

/// The text of one line: short text inline, longer text in a buffer of its own or inside a
/// shared block it holds a reference to.
class TItemText {
public:
  TItemText() noexcept {}
  explicit TItemText(std::string_view s);
  /// `s` lies inside `block`.
  TItemText(std::string_view s, TTextBlock& block);
  TItemText(TItemText&& other) noexcept : FSize(other.FSize) {
    std::memcpy(static_cast<void*>(&FOut), static_cast<const void*>(&other.FOut), sizeof FOut);
    other.FSize = 0;
  }
  TItemText& operator=(TItemText&& other) noexcept {
    if (this != &other) {
      Reset();
      std::memcpy(static_cast<void*>(&FOut), static_cast<const void*>(&other.FOut), sizeof FOut);
      FSize = other.FSize;
      other.FSize = 0;
    }
    return *this;
  }
  ~TItemText() { Reset(); }
  std::string_view View() const noexcept {
    return FSize <= InlineMax ? std::string_view(FInline, FSize)
                              : std::string_view(FOut.Data, FSize);
  }

private:
  static constexpr std::size_t InlineMax = 16;
  struct TOut {
    const char* Data;
    TTextBlock* Block; // null: Data is this line's own buffer
  };
  void Reset() noexcept {
    if (FSize > InlineMax) ReleaseOut();
    FSize = 0;
  }
  void ReleaseOut() noexcept;
  union {
    char FInline[InlineMax];
    TOut FOut;
  };
  std::size_t FSize = 0;
};
static_assert(sizeof(TItemText) == 24);

struct TStringItem {
  TItemText FText;
  TObject* FObject = nullptr;
};

/// The lines of a string list in blocks of at most MaxBlock, so that inserting or deleting in
/// the middle moves one block's items, not the whole list's; indexing finds the block by a
/// binary search over the block starts.
class TStringItems {
public:
  static constexpr std::size_t MaxBlock = 1024;
  std::size_t size() const noexcept { return FCount; }
  bool empty() const noexcept { return FCount == 0; }
  TStringItem& operator[](std::size_t i);
  const TStringItem& operator[](std::size_t i) const;
  void insert(std::size_t i, TStringItem item);
  /// Removes the item at `i` and hands it back.
  TStringItem erase(std::size_t i);
  /// Index of the first item satisfying `pred`, or size(): a scan without per-item look-ups.
  template <class Pred> std::size_t find_if(Pred pred) const {
    std::size_t index = 0;
    for (const auto& block : FBlocks)
      for (const TStringItem& item : block) {
        if (pred(item)) return index;
        ++index;
      }
    return index;
  }
  /// Empties the store, handing back every item in order.
  std::vector<TStringItem> take();
  /// Replaces the content with `items`, in order.
  void assign(std::vector<TStringItem> items);

private:
  std::pair<std::size_t, std::size_t> Locate(std::size_t i) const;
  std::vector<std::vector<TStringItem>> FBlocks;
  std::vector<std::size_t> FStarts; // index of each block's first item
  std::size_t FCount = 0;
};

} // namespace detail

class TStringList;
/// Compares the lines at two indexes; negative, zero or positive.
using TStringListSortCompare =
    std::function<int(TStringList& list, Integer index1, Integer index2)>;
using TNotifyStringsEvent = std::function<void(TObject* sender)>;

/// The concrete string list. Sorted lists keep their order on Add and find with a binary search
/// (O(log n) comparisons); Insert, Put, Move and Exchange raise EStringListError "Operation not
/// allowed on sorted list" on them. Indexing costs O(log(n / 1024)), inserting and deleting
/// anywhere O(1024 + n / 1024) moves.
class TStringList : public TStrings {
  FW_CLASS(TStringList)
public:
  TStringList() = default;
  explicit TStringList(bool ownsObjects) : FOwnsObjects(ownsObjects) {}
  ~TStringList() override;

  Integer Count() const override { return static_cast<Integer>(FList.size()); }
  String Get(Integer index) const override;
  void Put(Integer index, std::string_view s) override;
  TObject* GetObject(Integer index) const override;
  /// Replaces the object; an owning list frees the one it replaces.
  void PutObject(Integer index, TObject* obj) override;
  void Insert(Integer index, std::string_view s) override { InsertObject(index, s, nullptr); }
  void InsertObject(Integer index, std::string_view s, TObject* obj) override;
  /// Removes the line; an owning list frees its object.
  void Delete(Integer index) override;
  void Clear() override;
  /// In a sorted list: inserts at the sorted position, honouring Duplicates (dupIgnore answers
  /// the existing index, dupError raises "String list does not allow duplicates").
  Integer AddObject(std::string_view s, TObject* obj) override;
  /// Keeps a reference to the block rather than a copy of the line.
  Integer AddShared(std::string_view s, TTextBlock& block) override;
  using TStrings::Add;
  void Exchange(Integer index1, Integer index2) override;
  void Move(Integer cur, Integer to) override;
  Integer IndexOf(std::string_view s) const override;
  /// Also takes Sorted, Duplicates and CaseSensitive from a TStringList (not OwnsObjects:
  /// objects are never owned twice).
  void Assign(TPersistent* source) override;
  using TStrings::Assign;

  /// Binary search of a sorted list: true when found, `index` = the first match or the place
  /// where `s` would be inserted. On an unsorted list the result is meaningless.
  bool Find(std::string_view s, Integer& index) const;
  /// Sorts with CompareStrings (stable).
  virtual void Sort();
  /// Sorts by a comparison of indexes; the comparison always sees the list as it was before the
  /// sort began. Stable.
  virtual void CustomSort(const TStringListSortCompare& compare);

  bool Sorted() const { return FSorted; }
  /// Turning Sorted on sorts the list.
  void SetSorted(bool v);
  TDuplicates Duplicates() const { return FDuplicates; }
  void SetDuplicates(TDuplicates d) { FDuplicates = d; }
  bool CaseSensitive() const { return FCaseSensitive; }
  /// Re-sorts a sorted list under the new comparison.
  void SetCaseSensitive(bool v);
  /// An owning list frees (TObject::Free) the objects of lines it deletes, replaces or clears,
  /// and all of them when it is destroyed.
  bool OwnsObjects() const { return FOwnsObjects; }
  void SetOwnsObjects(bool v) { FOwnsObjects = v; }

  /// Called before and after every change, unless an update is in progress; BeginUpdate calls
  /// OnChanging once and the outermost EndUpdate OnChange once.
  TNotifyStringsEvent OnChanging;
  TNotifyStringsEvent OnChange;

protected:
  int CompareStrings(std::string_view a, std::string_view b) const override;
  void SetUpdateState(bool updating) override;
  /// A sorted list moves the changed line to where it now sorts.
  void ReplaceLine(Integer index, std::string_view line) override;
  virtual void Changing();
  virtual void Changed();

private:
  void CheckIndex(Integer index) const;
  void CheckUnsorted() const;
  void InsertItem(Integer index, detail::TItemText text, TObject* obj);

  detail::TStringItems FList;
  TDuplicates FDuplicates = dupIgnore;
  bool FSorted = false;
  bool FCaseSensitive = false;
  bool FOwnsObjects = false;
};

} // namespace fw
