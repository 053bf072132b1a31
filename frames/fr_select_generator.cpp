#include "frames/fr_select_generator.h"

#include "frames/declareSQL.h"

namespace dravik::frames {

std::string TFrame_select_generator::ListingSql() const {
    // User generators carry system flag 0 (NULL in older databases); the
    // server's own and those behind identity columns carry other flags.
    return "select RDB$GENERATOR_NAME as NAME, RDB$GENERATOR_NAME as OBJ FROM RDB$GENERATORS where "
           "(RDB$SYSTEM_FLAG is NULL or RDB$SYSTEM_FLAG = 0) order by RDB$GENERATOR_NAME;";
}

std::string TFrame_select_generator::GeneratorValue(DbConnection& source, const std::string& name) {
    std::string value = "1";
    auto query = NewQuery(source, "select gen_id(" + Trim(name) + ",0) as ID from RDB$database");
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

void TFrame_select_generator::CreateObject(DbConnection& source, DbConnection& destination,
                                           const std::string& listedName) {
    const std::string name = Trim(listedName);
    try {
        ExecStatement(destination, "CREATE GENERATOR " + name);
        std::string suffix;
        if (cbGenID) {
            const std::string value = GeneratorValue(source, name);
            ExecStatement(destination, "SET GENERATOR " + name + " TO " + value);
            suffix = ", " + value;
        }
        LogOk("CREATE GENERATOR", name + suffix);
    } catch (const std::exception& e) {
        LogError("CREATE GENERATOR " + name, e.what());
    }
}

}  // namespace dravik::frames
