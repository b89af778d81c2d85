// A component written to, and read back from, the text layout of form files.
#pragma once

#include "basert/component.h"
#include "basert/filer.h"
#include "basert/formtext.h"
#include "basert/streams.h"

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

} // namespace fwtest
