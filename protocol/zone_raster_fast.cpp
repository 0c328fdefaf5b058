// The fast rasteriser. For every ray and shape it works out the set of steps
// the shape covers instead of testing all 8190 steps three times:
//
//  - a sector covers one run of steps, straight from its radii;
//  - a polygon (rectangles and ellipses are polygons here) is inside where an
//    odd number of its edges count. Each edge counts on the steps whose test
//    point lies in its half-open height band (an interval of steps, since the
//    float test point moves monotonically) and lies left of the edge's
//    crossing. The crossing side is the sign of a linear function of the
//    step; only where that function comes within a proven rounding bound of
//    zero are the steps evaluated one by one, with the reference's own
//    expression. Everything else follows from the sign at the band's ends.
//
// The runs of each kind are then merged and handed out to the three interval
// slots in the order the reference's passes would open them, so the table
// entries come out byte for byte the same.
#include <algorithm>
#include <cmath>

#include "zone_raster.h"

namespace zone_raster {

namespace {

constexpr double kDoubleRounding = 0x1p-53;  // relative error of one double operation
constexpr double kFloatRounding = 0x1p-24;   // relative error of the float step point
constexpr double kStepBound = 8192;          // above every step number

struct Run {
    int first;
    int last;  // inclusive
};

// Smallest c in [lo, hi] for which `pred` holds, hi + 1 when it holds for
// none; `pred` must be false up to some step and true from there on. The
// guess (may be anything, NaN included) is where the search starts: a good
// one makes this one or two evaluations.
template <class Pred>
int firstTrue(int lo, int hi, double guess, Pred pred) {
    int g;
    if (!(guess >= lo))
        g = lo;
    else if (guess >= hi)
        g = hi;
    else
        g = static_cast<int>(std::ceil(guess));
    int below = lo - 1;  // pred is false at every c <= below
    int above = hi + 1;  // pred is true at above, or above is past the end
    if (pred(g)) {
        above = g;
        for (int step = 1;; step *= 2) {
            const int t = above - step;
            if (t <= below) break;
            if (!pred(t)) {
                below = t;
                break;
            }
            above = t;
        }
    } else {
        below = g;
        for (int step = 1;; step *= 2) {
            const int t = below + step;
            if (t >= above) break;
            if (pred(t)) {
                above = t;
                break;
            }
            below = t;
        }
    }
    while (above - below > 1) {
        const int mid = below + (above - below) / 2;
        if (pred(mid))
            above = mid;
        else
            below = mid;
    }
    return above;
}

// The steps in [lo, hi] whose test point lies in the band ylo <= py < yhi,
// as [a, b]; false when there are none. The float product c * uy never
// decreases (or never increases) with c, so the band is one interval.
bool bandSteps(const Ray& r, double ylo, double yhi, int lo, int hi, int& a, int& b) {
    const double uy = r.uy;
    if (uy == 0) {
        a = lo;
        b = hi;
        return ylo <= 0 && 0 < yhi;
    }
    auto py = [&r](int c) { return step_y(r, c); };
    if (uy > 0) {
        a = firstTrue(lo, hi, ylo / uy, [&](int c) { return py(c) >= ylo; });
        b = firstTrue(lo, hi, yhi / uy, [&](int c) { return py(c) >= yhi; }) - 1;
    } else {
        a = firstTrue(lo, hi, yhi / uy, [&](int c) { return py(c) < yhi; });
        b = firstTrue(lo, hi, ylo / uy, [&](int c) { return py(c) < ylo; }) - 1;
    }
    return a <= b;
}

// Appends the runs of [first, last] as toggles: parity flips at first and after last.
void toggleRun(std::vector<int>& toggles, int first, int last) {
    toggles.push_back(first);
    toggles.push_back(last + 1);
}

// One polygon edge, from vertex j to vertex i (the reference's order), with
// what the per-ray work needs of it.
struct Edge {
    double xi, yi, xj, yj;
    double ylo, yhi;  // its half-open height band
    double m;         // xi - xj
    double rho;       // (xi - xj) / (yi - yj)
};

// Bound on the difference between the reference's verdict for the edge and
// the sign of G (see edgeToggles), also covering G evaluated in double and
// G's change over the float point's offset from c * u. Float test point:
// 2^-24 of c |u| in each axis, the y part scaled by |rho|; the four double
// operations of the crossing expression and of G: a few 2^-53 of the
// magnitudes involved. Generous on purpose: it only widens the stepped window.
double marginOf(const Edge& e, const Ray& r) {
    const double across = std::fabs(e.rho * r.uy) + std::fabs(r.ux);
    return 16 * kDoubleRounding * (std::fabs(e.xj) + std::fabs(e.m) + kStepBound * across) +
           4 * kFloatRounding * kStepBound * across + 1e-12;
}

// True when the edge lies left of the ray's points at every height of its
// band by more than the margin: it never counts on this ray. G at the height
// of a vertex is that vertex's horizontal offset from the ray's line.
bool clearlyLeft(const Edge& e, const Ray& r, double margin) {
    if (r.uy == 0) return false;
    const double slope = double(r.ux) / double(r.uy);
    auto offset = [&](double x, double y) {
        const double h = x - y * slope;
        return h + 4 * kDoubleRounding * (std::fabs(x) + std::fabs(y * slope));
    };
    return offset(e.xi, e.yi) < -margin && offset(e.xj, e.yj) < -margin;
}

// The steps of the band [a, b] on which the edge counts, appended as toggles.
//
// With exact arithmetic the edge counts where G(c) = xj + rho (c uy - yj) - c ux
// is positive, G linear in c. Inside the band |py - yj| <= |yi - yj|, which
// bounds the reference's rounding (see marginOf). Steps where G, interpolated
// from its values at the band's ends, lies within the margin of zero (two
// steps wider either side) are evaluated with the reference's expression;
// elsewhere the sign decides.
void edgeToggles(const Edge& e, const Ray& r, double margin, int a, int b, std::vector<int>& toggles) {
    const double ux = r.ux, uy = r.uy;
    auto G = [&](int c) { return (e.xj + e.rho * (double(c) * uy - e.yj)) - double(c) * ux; };

    const double ga = G(a), gb = G(b);
    if (ga > margin && gb > margin) return toggleRun(toggles, a, b);
    if (ga < -margin && gb < -margin) return;

    int w0 = a, w1 = b;  // the window stepped one by one
    if (b > a) {
        const double slope = (gb - ga) / (b - a);
        if (slope != 0) {
            double c1 = a + (-margin - ga) / slope, c2 = a + (margin - ga) / slope;
            if (c1 > c2) std::swap(c1, c2);
            const double lo = std::floor(c1) - 2, hi = std::ceil(c2) + 2;
            w0 = lo <= a ? a : (lo >= b ? b : static_cast<int>(lo));
            w1 = hi >= b ? b : (hi <= a ? a : static_cast<int>(hi));
        }
    }
    // Outside the window the sign at the nearer end holds; an end inside the margin joins the window.
    if (w0 > a && !(std::fabs(ga) > margin)) w0 = a;
    if (w1 < b && !(std::fabs(gb) > margin)) w1 = b;
    if (w0 > a && ga > 0) toggleRun(toggles, a, w0 - 1);
    int open = -1;
    for (int c = w0; c <= w1; ++c) {
        const bool counts = edge_counts(e.xi, e.yi, e.xj, e.yj, step_x(r, c), step_y(r, c));
        if (counts && open < 0) open = c;
        if (!counts && open >= 0) {
            toggleRun(toggles, open, c - 1);
            open = -1;
        }
    }
    if (open >= 0) toggleRun(toggles, open, w1);
    if (w1 < b && gb > 0) toggleRun(toggles, w1 + 1, b);
}

struct Box {
    double xmin, xmax, ymin, ymax;
};

// A polygon as the per-ray work sees it: its box and its counting edges
// (horizontal edges never count and are left out).
struct Polygon {
    Box box;
    std::vector<Edge> edges;
};

Polygon polygonOf(const Shape& s) {
    Polygon p;
    Box& b = p.box;
    b = {s.xs[0], s.xs[0], s.ys[0], s.ys[0]};
    const size_t n = s.xs.size();
    for (size_t i = 0, j = n - 1; i < n; j = i++) {
        b.xmin = std::min(b.xmin, s.xs[i]);
        b.xmax = std::max(b.xmax, s.xs[i]);
        b.ymin = std::min(b.ymin, s.ys[i]);
        b.ymax = std::max(b.ymax, s.ys[i]);
        const double xi = s.xs[i], yi = s.ys[i], xj = s.xs[j], yj = s.ys[j];
        if (yi == yj) continue;
        p.edges.push_back(
            {xi, yi, xj, yj, std::min(yi, yj), std::max(yi, yj), xi - xj, (xi - xj) / (yi - yj)});
    }
    return p;
}

// The steps whose test point may lie inside the polygon: those whose exact
// point c * u comes within 1 mm of its box. A test point more than 0.5 mm
// outside the box is outside the polygon under the crossing rule (no edge
// band holds it, or every edge band that holds it counts, an even number),
// and the float test point strays less than 0.004 mm from c * u.
bool stepsNearBox(const Box& box, const Ray& r, int& lo, int& hi) {
    double t0 = 1, t1 = kSteps;
    auto slab = [&t0, &t1](double u, double from, double to) {
        if (u == 0) return from <= 0 && 0 <= to;
        double ta = from / u, tb = to / u;
        if (ta > tb) std::swap(ta, tb);
        t0 = std::max(t0, ta);
        t1 = std::min(t1, tb);
        return true;
    };
    if (!slab(r.ux, box.xmin - 1, box.xmax + 1) || !slab(r.uy, box.ymin - 1, box.ymax + 1) || t0 > t1)
        return false;
    lo = static_cast<int>(std::floor(t0));
    hi = static_cast<int>(std::ceil(t1));
    return true;
}

// Turns the sorted toggles of one polygon into its inside runs.
void parityRuns(std::vector<int>& toggles, std::vector<Run>& out) {
    std::sort(toggles.begin(), toggles.end());
    bool inside = false;
    int open = 0;
    for (size_t i = 0; i < toggles.size();) {
        const int at = toggles[i];
        size_t n = 0;
        while (i < toggles.size() && toggles[i] == at) ++i, ++n;
        if (n % 2 == 0) continue;
        inside = !inside;
        if (inside)
            open = at;
        else
            out.push_back({open, at - 1});
    }
}

void polygonRuns(const Polygon& polygon, const Ray& r, std::vector<int>& toggles, std::vector<Run>& out) {
    int lo, hi;
    if (!stepsNearBox(polygon.box, r, lo, hi)) return;
    const double yLo = step_y(r, lo), yHi = step_y(r, hi);
    const double pyMin = std::min(yLo, yHi), pyMax = std::max(yLo, yHi);
    toggles.clear();
    for (const Edge& e : polygon.edges) {
        if (e.yhi <= pyMin || e.ylo > pyMax) continue;
        const double margin = marginOf(e, r);
        if (clearlyLeft(e, r, margin)) continue;
        int a, b;
        if (!bandSteps(r, e.ylo, e.yhi, lo, hi, a, b)) continue;
        edgeToggles(e, r, margin, a, b, toggles);
    }
    parityRuns(toggles, out);
}

// near < 8 c < far, 8 c being exact.
void sectorRun(const Shape& s, int p, std::vector<Run>& out) {
    const double first = std::max(1.0, std::floor(s.near[p] / 8) + 1);
    const double last = std::min(double(kSteps), std::ceil(s.far[p] / 8) - 1);
    if (first <= last) out.push_back({static_cast<int>(first), static_cast<int>(last)});
}

// Sorts runs by their first step and joins those that overlap or touch: the
// reference sees one run wherever consecutive steps are covered.
void mergeRuns(std::vector<Run>& runs) {
    if (runs.size() < 2) return;
    std::sort(runs.begin(), runs.end(), [](const Run& x, const Run& y) { return x.first < y.first; });
    size_t out = 0;
    for (size_t i = 1; i < runs.size(); ++i) {
        if (runs[i].first <= runs[out].last + 1)
            runs[out].last = std::max(runs[out].last, runs[i].last);
        else
            runs[++out] = runs[i];
    }
    runs.resize(out + 1);
}

}  // namespace

void rasterise_slot_fast(const std::vector<Shape>& shapes, uint8_t* table) {
    std::vector<Polygon> polygons(shapes.size());
    for (size_t i = 0; i < shapes.size(); ++i)
        if (!shapes[i].sector && !shapes[i].xs.empty()) polygons[i] = polygonOf(shapes[i]);

    std::vector<Run> kindRuns[3], filterRuns;
    std::vector<int> toggles;
    for (int k = 0; k < kZoneDirections; ++k) {
        const Ray ray = table_ray(k);
        for (auto& runs : kindRuns) runs.clear();
        filterRuns.clear();
        for (size_t i = 0; i < shapes.size(); ++i) {
            const Shape& s = shapes[i];
            std::vector<Run>& out = s.filter ? filterRuns : kindRuns[s.kind];
            if (s.sector)
                sectorRun(s, ray.p, out);
            else if (!s.xs.empty())
                polygonRuns(polygons[i], ray, toggles, out);
        }

        // Alarm runs take the free slots first, then warning, then observation;
        // a run that finds no slot free is dropped. A run of one step keeps end 0.
        uint16_t start[3] = {0, 0, 0}, end[3] = {0, 0, 0};
        for (int kind = 2; kind >= 0; --kind) {
            mergeRuns(kindRuns[kind]);
            for (const Run& run : kindRuns[kind]) {
                for (int i = 0; i < 3; ++i)
                    if (start[i] == 0) {
                        start[i] = static_cast<uint16_t>(run.first | kind_bit(kind));
                        end[i] = static_cast<uint16_t>(run.last > run.first ? run.last : 0);
                        break;
                    }
            }
        }
        // Only the first filter run along the ray counts.
        uint16_t filterStart = 0, filterEnd = 0;
        mergeRuns(filterRuns);
        if (!filterRuns.empty()) {
            filterStart = static_cast<uint16_t>(filterRuns[0].first);
            filterEnd = static_cast<uint16_t>(filterRuns[0].last);
        }
        write_table_entry(start, end, filterStart, filterEnd, table + size_t(k) * kZoneTableEntrySize);
    }
}

}  // namespace zone_raster
