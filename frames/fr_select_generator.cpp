#include "frames/fr_select_generator.h"

#include "frames/declareSQL.h"
#include "schema/node_keys.h"

namespace dravik::frames {

std::string TFrame_select_generator::ListingSql() const {
    // User generators carry system flag 0 (NULL in older databases); the
    // server's own and those behind identity columns carry other flags.
    return "select RDB$GENERATOR_NAME as NAME, RDB$GENERATOR_NAME as OBJ FROM RDB$GENERATORS where "
           "(RDB$SYSTEM_FLAG is NULL or RDB$SYSTEM_FLAG = 0) order by RDB$GENERATOR_NAME;";
}

std::string TFrame_select_generator::GeneratorValue(DbConnection& source, const std::string& name) {
    std::string value = "1";
    auto query = NewQuery(source, "select gen_id(" + QuoteIdentifier(name) + ",0) as ID from RDB$database");
    try {
        query->Open();
        value = query->Fields(0).AsString();
    } catch (const std::exception& e) {
        LogNote("Ошибка определения текущего значения генератора " + UpperCase(name),
                "Используется значение по умолчанию");
        LogError("", e.what());
    }
    return value;
}

void TFrame_select_generator::PlanObject(schema::SchemaPlan& plan, PlanContext& context, const std::string& listed) {
    const std::string name = TrimRight(listed);
    DbConnection& s = context.source;
    DbConnection& d = context.destination;
    const std::shared_ptr<const schema::SourceCatalogue> catalogue = context.Catalogue();
    plan.Add(Node(NodeKind::Generator, schema::key::Generator(name), {},
                  [this, &s, &d, catalogue, name] { CreateGenerator(*catalogue, s, d, name); }));
}

void TFrame_select_generator::CreateGenerator(const schema::SourceCatalogue& catalogue, DbConnection& source,
                                              DbConnection& destination, const std::string& name) {
    const std::string quoted = QuoteIdentifier(name);
    try {
        // The initial value and the step belong to the sequence's definition;
        // SET GENERATOR moves only its current value.
        std::string options;
        if (const schema::CatalogueValue start = catalogue.GeneratorInitialValue(name); !start.IsNull())
            options += " START WITH " + start.AsString();
        if (const schema::CatalogueValue step = catalogue.GeneratorIncrement(name); !step.IsNull())
            options += " INCREMENT BY " + step.AsString();
        ExecStatement(destination, "CREATE SEQUENCE " + quoted + options);
        std::string suffix;
        if (cbGenID) {
            const std::string value = GeneratorValue(source, name);
            ExecStatement(destination, "SET GENERATOR " + quoted + " TO " + value);
            suffix = ", " + value;
        }
        LogOk("CREATE GENERATOR", name + suffix);
    } catch (const std::exception& e) {
        LogError("CREATE GENERATOR " + name, e.what());
    }
}

}  // namespace dravik::frames
