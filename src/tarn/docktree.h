// A small dock manager: the clients of a dock site lie side by side, each against the side it
// was dropped on, and the layout can be saved to a stream and restored.
#pragma once

#include "basert/streams.h"
#include "tarn/controls.h"

#include <vector>

namespace fw {

inline constexpr std::string_view sDockTreeCorrupt = "Dock layout data is corrupt";

/// Lays the clients of one dock site out through the site's alignment. With `Proportional`
/// the clients keep their share of the site when it is resized.
///
/// Layout stream: Integer version (1), Integer count, then per client its name (Integer length
/// and UTF-8 bytes), Integer side (a TAlign) and Integer size (width for left and right, height
/// for top and bottom, 0 for a client filling the rest); little-endian.
class TDockTree : public TInterfacedObject, public IDockManager {
  FW_CLASS(TDockTree)
public:
  explicit TDockTree(TWinControl* site, bool proportional = false);

  /// A client dropped on no side fills the site when it is the first, else docks on the right.
  void InsertControl(TControl* control, TAlign insertAt, TControl* dropCtl) override;
  void RemoveControl(TControl* control) override;
  void ResetBounds(bool force) override;
  void SaveToStream(TStream& stream) override;
  /// Clients named in the stream that are docked here take their side and size; others keep
  /// theirs. Raises EReadError (sDockTreeCorrupt) for data that cannot be read; nothing is
  /// changed then.
  void LoadFromStream(TStream& stream) override;

  bool Proportional() const noexcept { return FProportional; }
  /// The clients in docking order.
  const std::vector<TControl*>& Clients() const noexcept { return FClients; }

private:
  TWinControl* FSite;
  bool FProportional;
  std::vector<TControl*> FClients;
  TPoint FLastSize;
};

} // namespace fw
