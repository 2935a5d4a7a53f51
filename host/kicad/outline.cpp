#include "outline.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_map>

namespace kelpie::host::kicad {

namespace {

// The ends of the open pieces, filed in a grid of tolerance-sized cells so
// that the ends near a point are found by looking at nine cells.
class EndIndex {
 public:
  explicit EndIndex(const std::vector<OutlinePiece>& pieces) : pieces_(pieces), used_(pieces.size(), false) {
    for (size_t i = 0; i < pieces.size(); ++i) {
      if (pieces[i].closed || pieces[i].points.empty()) continue;
      cells_[Cell(pieces[i].points.front())].push_back(End{i, false});
      cells_[Cell(pieces[i].points.back())].push_back(End{i, true});
    }
  }

  struct End {
    size_t piece;
    bool last;  // the piece's last point (else its first)
  };

  // The unused end nearest to the point within the tolerance.
  bool Nearest(Vec point, End& found) const {
    const auto [cx, cy] = Cell(point);
    double best = kOutlineTolerance;
    bool any = false;
    for (std::int64_t dx = -1; dx <= 1; ++dx) {
      for (std::int64_t dy = -1; dy <= 1; ++dy) {
        const auto cell = cells_.find({cx + dx, cy + dy});
        if (cell == cells_.end()) continue;
        for (const End& end : cell->second) {
          if (used_[end.piece]) continue;
          const Polyline& points = pieces_[end.piece].points;
          const double distance = Distance(point, end.last ? points.back() : points.front());
          if (distance <= best) {
            best = distance;
            found = end;
            any = true;
          }
        }
      }
    }
    return any;
  }

  void Use(size_t piece) { used_[piece] = true; }
  bool Used(size_t piece) const { return used_[piece]; }

 private:
  struct Key {
    std::int64_t x;
    std::int64_t y;
    bool operator==(const Key& other) const { return x == other.x && y == other.y; }
  };
  struct KeyHash {
    size_t operator()(const Key& key) const {
      return std::hash<std::int64_t>()(key.x * 1000003 + key.y);
    }
  };

  static Key Cell(Vec point) {
    return {static_cast<std::int64_t>(std::floor(point.x / kOutlineTolerance)),
            static_cast<std::int64_t>(std::floor(point.y / kOutlineTolerance))};
  }

  const std::vector<OutlinePiece>& pieces_;
  std::vector<bool> used_;
  std::unordered_map<Key, std::vector<End>, KeyHash> cells_;
};

}  // namespace

OutlineLoops JoinOutline(std::vector<OutlinePiece> pieces) {
  OutlineLoops result;
  EndIndex ends(pieces);
  for (size_t start = 0; start < pieces.size(); ++start) {
    if (pieces[start].points.empty()) continue;
    if (pieces[start].closed) {
      if (pieces[start].points.size() >= 3) result.loops.push_back(std::move(pieces[start].points));
      continue;
    }
    if (ends.Used(start)) continue;
    ends.Use(start);
    Polyline chain = pieces[start].points;
    bool turned = false;
    while (true) {
      if (chain.size() > 2 && Distance(chain.front(), chain.back()) <= kOutlineTolerance) {
        chain.pop_back();
        result.loops.push_back(std::move(chain));
        break;
      }
      EndIndex::End next{};
      if (ends.Nearest(chain.back(), next)) {
        ends.Use(next.piece);
        const Polyline& points = pieces[next.piece].points;
        if (next.last) {
          chain.insert(chain.end(), points.rbegin() + 1, points.rend());
        } else {
          chain.insert(chain.end(), points.begin() + 1, points.end());
        }
        continue;
      }
      if (turned) {
        ++result.openChains;
        break;
      }
      // Nothing follows the end: go on from the other end.
      std::reverse(chain.begin(), chain.end());
      turned = true;
    }
  }
  return result;
}

}  // namespace kelpie::host::kicad
