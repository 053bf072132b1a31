#include "frames/fr_select_exception.h"

#include "db/code_page_text.h"
#include "db/text_conversion.h"
#include "frames/declareSQL.h"
#include "schema/node_keys.h"

namespace dravik::frames {

std::string TFrame_select_exception::ListingSql() const {
    return "select RDB$EXCEPTION_NAME as NAME, RDB$EXCEPTION_NAME as OBJ FROM RDB$EXCEPTIONS order by "
           "RDB$EXCEPTION_NAME;";
}

void TFrame_select_exception::PlanObject(schema::SchemaPlan& plan, PlanContext& context, const std::string& name) {
    DbConnection& d = context.destination;
    const std::shared_ptr<const schema::SourceCatalogue> catalogue = context.Catalogue();
    plan.Add(Node(NodeKind::Exception, schema::key::Exception(TrimRight(name)), {},
                  [this, &d, catalogue, name] { CreateException(*catalogue, d, name); }));
}

void TFrame_select_exception::CreateException(const schema::SourceCatalogue& catalogue, DbConnection& destination,
                                              const std::string& name) {
    const std::string trimmed = TrimRight(name);
    try {
        // Kept as the bytes its author's attachment sent: made UTF-8 when the
        // texts are converted.
        const std::string message =
            db::ActiveTextConversion().StoredBytesAsUtf8(catalogue.ExceptionMessage(trimmed).AsString());
        // The server refuses NULL as a message but takes an empty one. A
        // message that is no UTF-8 (an old client's WIN1251, say) goes as
        // its bytes, which the server keeps as they are, as a restore does.
        std::string utf8;
        const std::string literal = Trim(message).empty()                           ? "''"
                                    : db::FromCodePageChecked(message, "UTF8", utf8) ? db::SqlString(message)
                                                                                    : db::SqlBytes(message);
        ExecStatement(destination, "CREATE EXCEPTION " + QuoteIdentifier(trimmed) + " " + literal);
        LogOk("CREATE EXCEPTION", name);
    } catch (const std::exception&) {
        LogError("CREATE EXCEPTION " + name, " Ошибка операции");
    }
}

}  // namespace dravik::frames
