#pragma once
#include <cstdint>
#include <vector>

#include "engine/base/Point.h"
#include "engine/base/Rect.h"

class OActivityProp;

/// The driving world's spatial index over a grid of 128-pixel map cells: one table for still
/// props (entered once, when the world adds them) and one for moving props (rebuilt every
/// frame). A prop stands in every column its box touches, and in every row of it: each column
/// bucket keeps, beside the prop, the rows its box touched when it was filed, which stand for
/// the row buckets. A query takes the props that stand both in a column and in a row of the
/// asked range. Entries are non-owning.
class CWorldBuckets {
public:
    static constexpr int kColumns = 31;
    static constexpr int kRows = 23;
    static constexpr int kCellShift = 7; ///< 128-pixel cells
    /// A cell holds this many props without a word; past it the cell grows and says so once.
    static constexpr size_t kCellTraceLimit = 128;

    using PropList = std::vector<OActivityProp*>;

    /// A prop's box: from its centre and size when its rotation is a multiple of 90 degrees,
    /// else empty at (0, 0).
    static CRect16 BoxOf(const OActivityProp* prop);
    /// The box a prop is filed by: its box, or for a prop turned by another angle the box
    /// around its turned rectangle (held to 16 bits), so that it stands in the cells it covers.
    static CRect16 FilingBoxOf(const OActivityProp* prop);
    /// The cell of a map coordinate: shifted right by 7, clamped into the grid.
    static int ColumnOf(int32_t x);
    static int RowOf(int32_t y);

    /// Only a still prop (TLVSimple_Object) that is neither a Hider nor a ConstraintObject;
    /// whether it was entered.
    bool AddStill(OActivityProp* prop);
    /// Only a moving prop (TLVComplex_Object, or a Pushable) that is not a DCaptive.
    bool AddMoving(OActivityProp* prop);
    /// Takes the prop out of every cell of both tables, wherever it was filed.
    void Remove(const OActivityProp* prop);
    void ClearMoving();
    void ClearAll();

    /// Rows r0..r1 outer; within a row the still tables then the moving ones; columns c0..c1
    /// inner; bucket order innermost. Each prop is appended once (unless `result` holds it).
    void QueryCells(PropList& result, int c0, int r0, int c1, int r1) const;
    /// The cells of both corners, ordered and clamped into the grid.
    void QueryRect(CPoint16 a, CPoint16 b, PropList& result) const;
    void QueryPoint(CPoint16 point, PropList& result) const;

    /// Whether any table still holds the prop (for checks after a prop left the world).
    bool Holds(const OActivityProp* prop) const;
    /// The queries answered so far (how hard the frame leans on the index).
    uint64_t QueryCount() const { return queries_; }

private:
    /// A prop in a column bucket, with the rows its filing covers.
    struct Filed {
        OActivityProp* prop;
        int16_t firstRow;
        int16_t lastRow;
    };
    using Columns = std::vector<std::vector<Filed>>;
    /// Files the prop in the columns its box touches; `table` names the table in the trace of
    /// the first cell that grows past kCellTraceLimit.
    void Enter(Columns& columns, OActivityProp* prop, const char* table);
    /// One row of one table: the props of columns c0..c1 that also stand in row r.
    void CollectRow(const Columns& columns, int r, int c0, int c1, PropList& result) const;

    Columns still_ = Columns(kColumns);
    Columns moving_ = Columns(kColumns);
    bool tracedGrowth_ = false;
    /// The props the result of the running query holds, sorted (kept to spare allocations).
    mutable PropList found_;
    mutable uint64_t queries_ = 0;
};
