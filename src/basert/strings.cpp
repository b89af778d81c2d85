#include "basert/strings.h"

#include "basert/classbuilder.h"
#include "basert/exceptions.h"
#include "basert/filer.h"
#include "basert/format.h"
#include "basert/safesave.h"
#include "basert/streams.h"
#include "basert/sysutils.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <new>
#include <numeric>
#include <tuple>
#include <utility>

namespace fw {

namespace {

constexpr bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

// Holds an update open for the duration of a compound change, also when it raises.
class UpdateScope {
public:
  explicit UpdateScope(TStrings& s) : FStrings(s) { FStrings.BeginUpdate(); }
  ~UpdateScope() noexcept(false) { FStrings.EndUpdate(); }
  UpdateScope(const UpdateScope&) = delete;
  UpdateScope& operator=(const UpdateScope&) = delete;

private:
  TStrings& FStrings;
};

String Utf16BytesToUtf8(std::string_view bytes, bool bigEndian) {
  WideString w;
  w.reserve(bytes.size() / 2);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    auto b0 = static_cast<unsigned char>(bytes[i]);
    auto b1 = static_cast<unsigned char>(bytes[i + 1]);
    w.push_back(static_cast<char16_t>(bigEndian ? (b0 << 8) | b1 : (b1 << 8) | b0));
  }
  return WideToUtf8(w);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TStrings

void TStrings::Error(std::string_view msg, Integer index) {
  throw EStringListError(Format(msg, index));
}

void TStrings::Put(Integer index, std::string_view s) {
  TObject* obj = GetObject(index);
  UpdateScope scope(*this);
  Delete(index);
  InsertObject(index, s, obj);
}

TObject* TStrings::GetObject(Integer index) const {
  if (index < 0 || index >= Count()) Error(sListIndexError, index);
  return nullptr;
}

void TStrings::PutObject(Integer, TObject*) {}

void TStrings::InsertObject(Integer index, std::string_view s, TObject* obj) {
  UpdateScope scope(*this);
  Insert(index, s);
  PutObject(index, obj);
}

Integer TStrings::Add(std::string_view s) { return AddObject(s, nullptr); }

Integer TStrings::AddShared(std::string_view s, TTextBlock&) { return Add(s); }

Integer TStrings::AddObject(std::string_view s, TObject* obj) {
  Integer index = Count();
  InsertObject(index, s, obj);
  return index;
}

void TStrings::AddStrings(const TStrings& other) {
  UpdateScope scope(*this);
  const Integer n = other.Count();
  for (Integer i = 0; i < n; ++i)
    AddObject(other.Get(i), other.GetObject(i));
}

TClass TStrings::StaticClass() {
  static const TClass cls = TClassBuilder<TStrings, TPersistent>("TStrings", "Classes").Build();
  return cls;
}

void TStrings::DefineProperties(TFiler* filer) {
  auto* ancestor = dynamic_cast<TStrings*>(filer->Ancestor());
  const bool hasData = ancestor ? !Equals(*ancestor) : Count() > 0;
  filer->DefineProperty(
      "Strings",
      [this](TReader* r) {
        r->ReadListBegin();
        BeginUpdate();
        try {
          Clear();
          while (!r->EndOfList())
            Add(r->ReadString());
        } catch (...) {
          EndUpdate();
          throw;
        }
        EndUpdate();
        r->ReadListEnd();
      },
      [this](TWriter* w) {
        w->WriteListBegin();
        for (Integer i = 0; i < Count(); ++i)
          w->WriteString(Get(i));
        w->WriteListEnd();
      },
      hasData);
}

void TStrings::Assign(TPersistent* source) {
  auto* strings = dynamic_cast<TStrings*>(source);
  if (!strings) {
    TPersistent::Assign(source);
    return;
  }
  const TStrings& other = *strings;
  if (&other == this) return;
  UpdateScope scope(*this);
  Clear();
  FDelimiter = other.FDelimiter;
  FQuoteChar = other.FQuoteChar;
  FStrictDelimiter = other.FStrictDelimiter;
  FNameValueSeparator = other.FNameValueSeparator;
  FLineBreak = other.FLineBreak;
  FTrailingLineBreak = other.FTrailingLineBreak;
  AddStrings(other);
}

void TStrings::Move(Integer cur, Integer to) {
  if (cur == to) return;
  UpdateScope scope(*this);
  String s = Get(cur);
  TObject* obj = GetObject(cur);
  PutObject(cur, nullptr); // so that an owning list does not free it on Delete
  Delete(cur);
  InsertObject(to, s, obj);
}

void TStrings::Exchange(Integer index1, Integer index2) {
  UpdateScope scope(*this);
  String s1 = Get(index1);
  String s2 = Get(index2);
  TObject* o1 = GetObject(index1);
  TObject* o2 = GetObject(index2);
  PutObject(index1, nullptr);
  PutObject(index2, nullptr);
  Put(index1, s2);
  PutObject(index1, o2);
  Put(index2, s1);
  PutObject(index2, o1);
}

Integer TStrings::IndexOf(std::string_view s) const {
  const Integer n = Count();
  for (Integer i = 0; i < n; ++i)
    if (CompareStrings(Get(i), s) == 0) return i;
  return -1;
}

Integer TStrings::IndexOfName(std::string_view name) const {
  const Integer n = Count();
  for (Integer i = 0; i < n; ++i) {
    String s = Get(i);
    std::size_t p = s.find(FNameValueSeparator);
    if (p != String::npos && CompareStrings(std::string_view(s).substr(0, p), name) == 0) return i;
  }
  return -1;
}

Integer TStrings::IndexOfObject(const TObject* obj) const {
  const Integer n = Count();
  for (Integer i = 0; i < n; ++i)
    if (GetObject(i) == obj) return i;
  return -1;
}

bool TStrings::Equals(const TStrings& other) const {
  const Integer n = Count();
  if (n != other.Count()) return false;
  for (Integer i = 0; i < n; ++i)
    if (Get(i) != other.Get(i)) return false;
  return true;
}

int TStrings::CompareStrings(std::string_view a, std::string_view b) const {
  return CompareText(a, b);
}

String TStrings::Names(Integer index) const {
  String s = Get(index);
  std::size_t p = s.find(FNameValueSeparator);
  return p == String::npos ? String() : s.substr(0, p);
}

String TStrings::ValueFromIndex(Integer index) const {
  String s = Get(index);
  std::size_t p = s.find(FNameValueSeparator);
  return p == String::npos ? String() : s.substr(p + 1);
}

String TStrings::Values(std::string_view name) const {
  Integer i = IndexOfName(name);
  return i < 0 ? String() : ValueFromIndex(i);
}

void TStrings::SetValues(std::string_view name, std::string_view value) {
  Integer i = IndexOfName(name);
  if (value.empty()) {
    if (i >= 0) Delete(i);
    return;
  }
  String line(name);
  line += FNameValueSeparator;
  line += value;
  if (i < 0)
    Add(line);
  else
    ReplaceLine(i, line);
}

void TStrings::SetValueFromIndex(Integer index, std::string_view value) {
  if (value.empty()) {
    Delete(index);
    return;
  }
  String line = Names(index);
  line += FNameValueSeparator;
  line += value;
  ReplaceLine(index, line);
}

void TStrings::ReplaceLine(Integer index, std::string_view line) { Put(index, line); }

String TStrings::Text() const {
  const Integer n = Count();
  String r;
  for (Integer i = 0; i < n; ++i) {
    r += Get(i);
    if (i + 1 < n || FTrailingLineBreak) r += FLineBreak;
  }
  return r;
}

void TStrings::SetText(std::string_view text) {
  UpdateScope scope(*this);
  Clear();
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t eol = text.find_first_of("\r\n", pos);
    if (eol == std::string_view::npos) {
      Add(text.substr(pos));
      break;
    }
    Add(text.substr(pos, eol - pos));
    pos = eol + ((text[eol] == '\r' && eol + 1 < text.size() && text[eol + 1] == '\n') ? 2 : 1);
  }
}

String TStrings::GetDelimited(char delimiter, char quote, bool strict) const {
  const Integer n = Count();
  if (n == 1 && Get(0).empty()) return String{quote, quote};
  String r;
  for (Integer i = 0; i < n; ++i) {
    String s = Get(i);
    bool needsQuotes = std::any_of(s.begin(), s.end(), [&](char c) {
      return c == '\0' || c == quote || c == delimiter || (!strict && IsBlank(c));
    });
    if (i > 0) r += delimiter;
    if (!needsQuotes) {
      r += s;
      continue;
    }
    r += quote;
    for (char c : s) {
      if (c == quote) r += quote;
      r += c;
    }
    r += quote;
  }
  return r;
}

void TStrings::SetDelimited(std::string_view text, char delimiter, char quote, bool strict) {
  UpdateScope scope(*this);
  Clear();
  const std::size_t n = text.size();
  std::size_t p = 0;
  auto skipBlanks = [&] {
    if (!strict)
      while (p < n && IsBlank(text[p]))
        ++p;
  };
  skipBlanks();
  while (p < n) {
    String s;
    if (text[p] == quote) {
      ++p;
      while (p < n) {
        if (text[p] == quote) {
          if (p + 1 < n && text[p + 1] == quote) {
            s += quote;
            p += 2;
            continue;
          }
          ++p;
          break;
        }
        s += text[p++];
      }
    } else {
      std::size_t start = p;
      while (p < n && (strict || !IsBlank(text[p])) && text[p] != delimiter)
        ++p;
      s.assign(text.substr(start, p - start));
    }
    Add(s);
    skipBlanks();
    if (p < n && text[p] == delimiter) {
      ++p;
      if (p == n) Add("");
      skipBlanks();
    }
  }
}

String TStrings::CommaText() const { return GetDelimited(',', '"', false); }
void TStrings::SetCommaText(std::string_view text) { SetDelimited(text, ',', '"', false); }
String TStrings::DelimitedText() const {
  return GetDelimited(FDelimiter, FQuoteChar, FStrictDelimiter);
}
void TStrings::SetDelimitedText(std::string_view text) {
  SetDelimited(text, FDelimiter, FQuoteChar, FStrictDelimiter);
}

void TStrings::BeginUpdate() {
  if (FUpdateCount == 0) SetUpdateState(true);
  ++FUpdateCount;
}

void TStrings::EndUpdate() {
  if (FUpdateCount == 0) return;
  if (--FUpdateCount == 0) SetUpdateState(false);
}

void TStrings::LoadFromBytes(std::string_view bytes) {
  if (bytes.starts_with("\xEF\xBB\xBF")) {
    SetText(bytes.substr(3));
  } else if (bytes.starts_with("\xFF\xFE")) {
    SetText(Utf16BytesToUtf8(bytes.substr(2), false));
  } else if (bytes.starts_with("\xFE\xFF")) {
    SetText(Utf16BytesToUtf8(bytes.substr(2), true));
  } else {
    SetText(bytes);
  }
}

void TStrings::LoadFromStream(TStream& stream) {
  Int64 size = stream.Size() - stream.Position();
  String data(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  Int64 got = data.empty() ? 0 : stream.Read(data.data(), static_cast<Int64>(data.size()));
  data.resize(static_cast<std::size_t>(got));
  LoadFromBytes(data);
}

void TStrings::SaveToStream(TStream& stream) const {
  String data = Text();
  stream.WriteBuffer(data.data(), static_cast<Int64>(data.size()));
}

void TStrings::LoadFromFile(const String& fileName) {
  std::ifstream in(fileName, std::ios::binary);
  if (!in) throw EFOpenError(Format(sFOpenError, fileName, std::strerror(errno)));
  String data{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad()) throw EFOpenError(Format(sFOpenError, fileName, std::strerror(errno)));
  LoadFromBytes(data);
}

void TStrings::SaveToFile(const String& fileName) const { SaveAtomically(fileName, Text()); }

// ---------------------------------------------------------------------------------------------
// detail::TStringItems

namespace detail {

TItemText::TItemText(std::string_view s) : FSize(s.size()) {
  if (FSize <= InlineMax) {
    if (FSize) std::memcpy(FInline, s.data(), FSize);
    return;
  }
  char* data = static_cast<char*>(std::malloc(FSize));
  if (!data) {
    FSize = 0;
    throw std::bad_alloc();
  }
  std::memcpy(data, s.data(), FSize);
  FOut = {data, nullptr};
}

TItemText::TItemText(std::string_view s, TTextBlock& block) : FSize(s.size()) {
  if (FSize <= InlineMax) {
    if (FSize) std::memcpy(FInline, s.data(), FSize);
    return;
  }
  block.AddRef();
  FOut = {s.data(), &block};
}

void TItemText::ReleaseOut() noexcept {
  if (FOut.Block)
    FOut.Block->Release();
  else
    std::free(const_cast<char*>(FOut.Data));
}

std::pair<std::size_t, std::size_t> TStringItems::Locate(std::size_t i) const {
  auto it = std::upper_bound(FStarts.begin(), FStarts.end(), i);
  std::size_t k = static_cast<std::size_t>(it - FStarts.begin()) - 1;
  return {k, i - FStarts[k]};
}

TStringItem& TStringItems::operator[](std::size_t i) {
  auto [k, off] = Locate(i);
  return FBlocks[k][off];
}

const TStringItem& TStringItems::operator[](std::size_t i) const {
  auto [k, off] = Locate(i);
  return FBlocks[k][off];
}

void TStringItems::insert(std::size_t i, TStringItem item) {
  if (FBlocks.empty()) {
    FBlocks.emplace_back();
    FStarts.push_back(0);
  }
  std::size_t k, off;
  if (i == FCount) {
    // Appending fills blocks to the brim and starts the next one at full size: no splits.
    if (FBlocks.back().size() >= MaxBlock) {
      FBlocks.emplace_back().reserve(MaxBlock);
      FStarts.push_back(FCount);
    }
    k = FBlocks.size() - 1;
    off = FBlocks[k].size();
  } else {
    std::tie(k, off) = Locate(i);
  }
  std::vector<TStringItem>& block = FBlocks[k];
  block.insert(block.begin() + static_cast<std::ptrdiff_t>(off), std::move(item));
  ++FCount;
  for (std::size_t j = k + 1; j < FStarts.size(); ++j)
    ++FStarts[j];
  if (block.size() <= MaxBlock) return;
  // Split the full block; its second half becomes the next block.
  const std::size_t half = block.size() / 2;
  std::vector<TStringItem> tail(std::make_move_iterator(block.begin() + half),
                                std::make_move_iterator(block.end()));
  block.erase(block.begin() + half, block.end());
  FBlocks.insert(FBlocks.begin() + static_cast<std::ptrdiff_t>(k + 1), std::move(tail));
  FStarts.insert(FStarts.begin() + static_cast<std::ptrdiff_t>(k + 1), FStarts[k] + half);
}

TStringItem TStringItems::erase(std::size_t i) {
  auto [k, off] = Locate(i);
  std::vector<TStringItem>& block = FBlocks[k];
  TStringItem item = std::move(block[off]);
  block.erase(block.begin() + static_cast<std::ptrdiff_t>(off));
  --FCount;
  for (std::size_t j = k + 1; j < FStarts.size(); ++j)
    --FStarts[j];
  if (block.empty()) {
    FBlocks.erase(FBlocks.begin() + static_cast<std::ptrdiff_t>(k));
    FStarts.erase(FStarts.begin() + static_cast<std::ptrdiff_t>(k));
  }
  return item;
}

std::vector<TStringItem> TStringItems::take() {
  std::vector<TStringItem> all;
  all.reserve(FCount);
  for (auto& block : FBlocks)
    for (auto& item : block)
      all.push_back(std::move(item));
  FBlocks.clear();
  FStarts.clear();
  FCount = 0;
  return all;
}

void TStringItems::assign(std::vector<TStringItem> items) {
  FBlocks.clear();
  FStarts.clear();
  FCount = items.size();
  const std::size_t chunk = MaxBlock / 2;
  for (std::size_t start = 0; start < items.size(); start += chunk) {
    const std::size_t end = std::min(items.size(), start + chunk);
    FBlocks.emplace_back(
        std::make_move_iterator(items.begin() + static_cast<std::ptrdiff_t>(start)),
        std::make_move_iterator(items.begin() + static_cast<std::ptrdiff_t>(end)));
    FStarts.push_back(start);
  }
}

} // namespace detail

// ---------------------------------------------------------------------------------------------
// TStringList

TClass TStringList::StaticClass() {
  static const TClass cls = TClassBuilder<TStringList, TStrings>("TStringList", "Classes").Build();
  return cls;
}

TStringList::~TStringList() {
  OnChange = nullptr;
  OnChanging = nullptr;
  if (FOwnsObjects)
    for (detail::TStringItem& item : FList.take())
      FreeAndNil(item.FObject);
}

void TStringList::CheckIndex(Integer index) const {
  if (index < 0 || index >= Count()) Error(sListIndexError, index);
}

void TStringList::CheckUnsorted() const {
  if (FSorted) throw EStringListError(sSortedListError);
}

void TStringList::Changing() {
  if (UpdateCount() == 0 && OnChanging) OnChanging(this);
}

void TStringList::Changed() {
  if (UpdateCount() == 0 && OnChange) OnChange(this);
}

void TStringList::SetUpdateState(bool updating) {
  if (updating)
    Changing();
  else
    Changed();
}

String TStringList::Get(Integer index) const {
  CheckIndex(index);
  return String(FList[static_cast<std::size_t>(index)].FText.View());
}

void TStringList::Put(Integer index, std::string_view s) {
  CheckUnsorted();
  CheckIndex(index);
  Changing();
  FList[static_cast<std::size_t>(index)].FText = detail::TItemText(s);
  Changed();
}

TObject* TStringList::GetObject(Integer index) const {
  CheckIndex(index);
  return FList[static_cast<std::size_t>(index)].FObject;
}

void TStringList::PutObject(Integer index, TObject* obj) {
  CheckIndex(index);
  Changing();
  TObject* old = std::exchange(FList[static_cast<std::size_t>(index)].FObject, obj);
  if (FOwnsObjects && old && old != obj) old->Free();
  Changed();
}

void TStringList::InsertItem(Integer index, detail::TItemText text, TObject* obj) {
  Changing();
  FList.insert(static_cast<std::size_t>(index), detail::TStringItem{std::move(text), obj});
  Changed();
}

void TStringList::InsertObject(Integer index, std::string_view s, TObject* obj) {
  CheckUnsorted();
  if (index < 0 || index > Count()) Error(sListIndexError, index);
  InsertItem(index, detail::TItemText(s), obj);
}

Integer TStringList::AddObject(std::string_view s, TObject* obj) {
  Integer index = Count();
  if (FSorted && Find(s, index)) {
    if (FDuplicates == dupIgnore) return index;
    if (FDuplicates == dupError) throw EStringListError(sDuplicateString);
  }
  InsertItem(index, detail::TItemText(s), obj);
  return index;
}

Integer TStringList::AddShared(std::string_view s, TTextBlock& block) {
  if (FSorted) return AddObject(s, nullptr);
  const Integer index = Count();
  InsertItem(index, detail::TItemText(s, block), nullptr);
  return index;
}

void TStringList::Delete(Integer index) {
  CheckIndex(index);
  Changing();
  TObject* obj = FList.erase(static_cast<std::size_t>(index)).FObject;
  if (FOwnsObjects) FreeAndNil(obj);
  Changed();
}

void TStringList::Clear() {
  if (FList.empty()) return;
  Changing();
  std::vector<detail::TStringItem> old = FList.take();
  if (FOwnsObjects)
    for (detail::TStringItem& item : old)
      FreeAndNil(item.FObject);
  Changed();
}

void TStringList::Exchange(Integer index1, Integer index2) {
  CheckUnsorted();
  CheckIndex(index1);
  CheckIndex(index2);
  Changing();
  std::swap(FList[static_cast<std::size_t>(index1)], FList[static_cast<std::size_t>(index2)]);
  Changed();
}

void TStringList::Move(Integer cur, Integer to) {
  CheckUnsorted();
  CheckIndex(cur);
  CheckIndex(to);
  if (cur == to) return;
  Changing();
  detail::TStringItem item = FList.erase(static_cast<std::size_t>(cur));
  FList.insert(static_cast<std::size_t>(to), std::move(item));
  Changed();
}

void TStringList::ReplaceLine(Integer index, std::string_view line) {
  if (!FSorted) {
    Put(index, line);
    return;
  }
  // A sorted list cannot change a line in place: the new line goes where it sorts.
  if (Get(index) == line) return;
  UpdateScope scope(*this);
  Integer existing = -1;
  if (Find(line, existing) && existing != index && FDuplicates == dupError)
    throw EStringListError(sDuplicateString);
  TObject* obj = FList[static_cast<std::size_t>(index)].FObject;
  FList[static_cast<std::size_t>(index)].FObject = nullptr;
  Delete(index);
  Integer before = Count();
  AddObject(line, obj);
  if (Count() == before && FOwnsObjects) FreeAndNil(obj); // dropped as a duplicate
}

Integer TStringList::IndexOf(std::string_view s) const {
  Integer index;
  if (FSorted) return Find(s, index) ? index : -1;
  index = static_cast<Integer>(FList.find_if(
      [&](const detail::TStringItem& item) { return CompareStrings(item.FText.View(), s) == 0; }));
  return index == Count() ? -1 : index;
}

bool TStringList::Find(std::string_view s, Integer& index) const {
  // Lower bound: with duplicates the first match is found.
  Integer lo = 0;
  Integer hi = Count();
  bool found = false;
  while (lo < hi) {
    Integer mid = lo + (hi - lo) / 2;
    int c = CompareStrings(FList[static_cast<std::size_t>(mid)].FText.View(), s);
    if (c < 0) {
      lo = mid + 1;
    } else {
      hi = mid;
      if (c == 0) found = true;
    }
  }
  index = lo;
  return found;
}

void TStringList::Sort() {
  CustomSort([](TStringList& list, Integer a, Integer b) {
    return list.CompareStrings(list.FList[static_cast<std::size_t>(a)].FText.View(),
                               list.FList[static_cast<std::size_t>(b)].FText.View());
  });
}

void TStringList::CustomSort(const TStringListSortCompare& compare) {
  if (FSorted || FList.size() < 2) return;
  std::vector<Integer> order(FList.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](Integer a, Integer b) { return compare(*this, a, b) < 0; });
  Changing();
  std::vector<detail::TStringItem> items = FList.take();
  std::vector<detail::TStringItem> sorted;
  sorted.reserve(items.size());
  for (Integer i : order)
    sorted.push_back(std::move(items[static_cast<std::size_t>(i)]));
  FList.assign(std::move(sorted));
  Changed();
}

void TStringList::SetSorted(bool v) {
  if (v == FSorted) return;
  if (v) Sort();
  FSorted = v;
}

void TStringList::SetCaseSensitive(bool v) {
  if (v == FCaseSensitive) return;
  FCaseSensitive = v;
  if (FSorted) {
    FSorted = false;
    Sort();
    FSorted = true;
  }
}

int TStringList::CompareStrings(std::string_view a, std::string_view b) const {
  return FCaseSensitive ? CompareStr(a, b) : CompareText(a, b);
}

void TStringList::Assign(TPersistent* source) {
  if (source == this) return;
  if (auto* list = dynamic_cast<TStringList*>(source)) {
    UpdateScope scope(*this);
    Clear();
    FSorted = list->FSorted;
    FDuplicates = list->FDuplicates;
    FCaseSensitive = list->FCaseSensitive;
  }
  TStrings::Assign(source);
}

} // namespace fw
