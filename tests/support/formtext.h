// A component written to, and read back from, the text layout of form files.
#pragma once

#include "basert/component.h"
#include "basert/filer.h"
#include "basert/formtext.h"
#include "basert/streams.h"

#include <string_view>
#include <utility>

namespace fwtest {

/// `root` (written against `ancestor` when given) as form text.
inline fw::String WriteFormText(fw::TComponent* root, fw::TComponent* ancestor = nullptr) {
  fw::TMemoryStream bin, text;
  {
    fw::TWriter w(&bin, 1024);
    w.WriteDescendent(root, ancestor);
  }
  bin.SetPosition(0);
  fw::ObjectBinaryToText(bin, text);
  return fw::String(reinterpret_cast<const char*>(text.Memory()), static_cast<size_t>(text.Size()));
}

/// Reads form text into `root` (or a new root when null) and returns the root read.
inline fw::TComponent* ReadFormText(const fw::String& text, fw::TComponent* root) {
  fw::TMemoryStream in, bin;
  in.WriteBuffer(text.data(), static_cast<fw::Int64>(text.size()));
  in.SetPosition(0);
  fw::ObjectTextToBinary(in, bin);
  bin.SetPosition(0);
  fw::TReader r(&bin, 1024);
  return r.ReadRootComponent(root);
}

/// Form text as a binary stream's bytes, and back.
inline fw::String TextToBinary(std::string_view text) {
  fw::TStringStream in(text), out;
  fw::ObjectTextToBinary(in, out);
  return out.DataString();
}
inline fw::String BinaryToText(std::string_view bytes) {
  fw::TStringStream in(bytes), out;
  fw::ObjectBinaryToText(in, out);
  return out.DataString();
}

/// `root` as a binary stream's bytes.
inline fw::String WriteBinary(fw::TComponent* root) {
  fw::TMemoryStream m;
  {
    fw::TWriter w(&m, 4096);
    w.WriteRootComponent(root);
  }
  return fw::String(m.View());
}

/// Reads binary bytes into `root` (or a new root when null); `onError` may take reading errors.
inline fw::TComponent* ReadBinary(std::string_view bytes, fw::TComponent* root = nullptr,
                                  fw::TReaderErrorEvent onError = {}) {
  fw::TStringStream m(bytes);
  fw::TReader r(&m, 4096);
  r.OnError = std::move(onError);
  return r.ReadRootComponent(root);
}

} // namespace fwtest
