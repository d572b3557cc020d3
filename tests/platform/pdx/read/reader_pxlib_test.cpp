// Cross-check against pxlib, an independent reader, on every fixture table without blob fields
// (pxlib 0.6.8 aborts on .MB files). Its known faults are allowed for: blanks come back as
// 0 or INT_MIN, and BCD text is unreliable, so BCD is not compared.
#include <gtest/gtest.h>
extern "C" {
#include <paradox.h>
}

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>

#include "platform/pdx/format/codepage.h"
#include "tests/platform/pdx/pdx_test_support.h"

using namespace pdxtest;
using pdx::FieldType;

namespace {

void collectError(pxdoc_t*, int, const char* msg, void* data) { static_cast<std::string*>(data)->append(msg); }

struct PxDoc {
    std::string errors;
    pxdoc_t* doc = PX_new3(collectError, nullptr, nullptr, nullptr, &errors);
    ~PxDoc() {
        PX_close(doc);
        PX_delete(doc);
    }
};

struct PxRecord {
    pxdoc_t* doc;
    pxval_t** vals;
    int n;
    ~PxRecord() {
        for (int i = 0; i < n; ++i) {
            if (!vals[i]->isnull && vals[i]->value.str.val &&
                (vals[i]->type == pxfAlpha || vals[i]->type == pxfBytes || vals[i]->type == pxfBCD))
                doc->free(doc, vals[i]->value.str.val);
            doc->free(doc, vals[i]);
        }
        doc->free(doc, vals);
    }
};

bool pxBlank(const pxval_t* v) {
    if (v->isnull) return true;
    switch (v->type) {
        case pxfNumber:
        case pxfCurrency:
        case pxfTimestamp: return v->value.dval == 0.0;
        case pxfLong:
        case pxfDate:
        case pxfTime:
        case pxfAutoInc: return v->value.lval == INT_MIN;
        default: return false;
    }
}

// Compares our value with pxlib's; returns a description of the difference or "".
std::string compare(const pdx::Field& f, const pdx::Value& ours, const pxval_t* px, pdx::CodePage& cp) {
    if (f.type == FieldType::Bcd) return {};
    if (pdx::isNull(ours)) return pxBlank(px) ? "" : "we read blank, pxlib a value";
    if (px->isnull) return "pxlib reads blank, we a value";
    switch (f.type) {
        case FieldType::Alpha: {
            const std::string theirs(px->value.str.val, strnlen(px->value.str.val, static_cast<std::size_t>(f.size)));
            return cp.decode(theirs) == as<std::string>(ours) ? "" : "text differs: " + theirs;
        }
        case FieldType::Bytes: {
            const auto& b = as<pdx::Bytes>(ours);
            return std::memcmp(b.data(), px->value.str.val, b.size()) == 0 ? "" : "bytes differ";
        }
        case FieldType::Short:
        case FieldType::Long:
        case FieldType::AutoInc: return as<std::int64_t>(ours) == px->value.lval ? "" : "integer differs";
        case FieldType::Logical: return as<bool>(ours) == (px->value.lval != 0) ? "" : "logical differs";
        case FieldType::Date: return as<pdx::Date>(ours).day == px->value.lval ? "" : "date differs";
        case FieldType::Time: return as<pdx::Time>(ours).ms == px->value.lval ? "" : "time differs";
        case FieldType::Number:
        case FieldType::Currency: return as<double>(ours) == px->value.dval ? "" : "number differs";
        case FieldType::Timestamp: return as<pdx::Timestamp>(ours).ms == px->value.dval ? "" : "timestamp differs";
        default: return "unexpected type";
    }
}

bool hasBlobs(const pdx::Schema& s) {
    return std::any_of(s.fields.begin(), s.fields.end(), [](const pdx::Field& f) { return pdx::isBlobType(f.type); });
}

}  // namespace

TEST(ReaderPxlib, ValuesAgreeWithPxlibOnTablesWithoutBlobs) {
    int compared = 0;
    for (const fs::path& db : vts::test::fixtureTables()) {
        const auto t = readAll(db);
        if (hasBlobs(t.info.schema)) continue;
        SCOPED_TRACE(db.string());
        PxDoc px;
        ASSERT_EQ(PX_open_file(px.doc, db.c_str()), 0) << px.errors;
        ASSERT_EQ(PX_get_num_records(px.doc), static_cast<int>(t.records.size()));
        ASSERT_EQ(PX_get_num_fields(px.doc), static_cast<int>(t.info.schema.fields.size()));
        // Raw bytes from pxlib, decoded with our code page: this compares the field layout and
        // values, not the two libraries' code-page tables.
        pdx::CodePage cp(t.info.schema.codePage, t.info.schema.sortOrderId);
        for (std::size_t row = 0; row < t.records.size(); ++row) {
            pxval_t** vals = PX_retrieve_record(px.doc, static_cast<int>(row));
            ASSERT_NE(vals, nullptr) << px.errors;
            PxRecord guard{px.doc, vals, PX_get_num_fields(px.doc)};
            for (std::size_t f = 0; f < t.records[row].size(); ++f) {
                const auto& field = t.info.schema.fields[f];
                EXPECT_EQ(compare(field, t.records[row][f], vals[f], cp), "")
                    << "row " << row + 1 << " field " << field.name;
            }
        }
        ++compared;
    }
    EXPECT_GE(compared, 35);
}
