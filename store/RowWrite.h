#pragma once

#include <QVariant>
#include <QtGlobal>

#include <optional>
#include <vector>

// One row as a write found it and as it left it, every field's value in
// the picture's form: no `before` for a row the write inserted, no `after`
// for one it deleted. Undo writes `before` back where `after` stands.
struct RowWrite
{
    using Image = std::optional<std::vector<QVariant>>;
    qint64 id = 0;
    Image before;
    Image after;
};
