#include "import/ImportRun.h"
#include "import/SolutionLessons.h"
#include "stores/TableCatalogue.h"
#include "stores/dbf/Table.h"
#include "support/ImportFixture.h"

#include <gtest/gtest.h>

namespace {

using namespace importtest;
namespace tables = stores::tables;

// Five teachers; SOLUC mixes their rows and holds one of a teacher PROFT does not know. The
// lookup tables carry a second row for several keys, which must never be the one taken.
void writeSchool(const std::filesystem::path& dir) {
    writeExchangeTable(dir, tables::PROFT, {
        {{"ABREV", "GLA"}, {"X_EMPLEADO", "1001"}, {"F_TOMAPOS", "01/09/2020"}},
        {{"ABREV", "O'NE"}, {"X_EMPLEADO", "1002"}, {"F_TOMAPOS", "15/09/2021"}},
        {{"ABREV", "NOL"}, {"X_EMPLEADO", "1003"}},
        {{"ABREV", "CER"}, {"X_EMPLEADO", "1004"}, {"F_TOMAPOS", "01/10/2019"}},
        {{"ABREV", "gla"}, {"X_EMPLEADO", "1005"}, {"F_TOMAPOS", "02/09/2022"}},
    });
    writeExchangeTable(dir, tables::ASIGT, {
        {{"CASIG", "MAT"}, {"CGRUP", "1A"}, {"CLAVE", "M1"}, {"CLAVECURSO", "C1"}},
        {{"CASIG", "MAT"}, {"CGRUP", "1A"}, {"CLAVE", "M1-otra"}, {"CLAVECURSO", "C1-otra"}},
        {{"CASIG", "LEN"}, {"CGRUP", "1A"}, {"CLAVE", "L1"}, {"CLAVECURSO", "C1"}},
        {{"CASIG", "MAT"}, {"CGRUP", "1B"}, {"CLAVE", "M2"}, {"CLAVECURSO", "C2"}},
    });
    writeExchangeTable(dir, tables::ASIGNOMT, {
        {{"COD", "MAT"}},
        {{"COD", "GUA"}, {"CODTAREA", "T-GUARDIA"}},
        {{"COD", "GUA"}, {"CODTAREA", "T-OTRA"}},
        {{"COD", "MAT"}, {"CODTAREA", "T-MAT"}},
    });
    writeExchangeTable(dir, tables::DIASHORAST, {
        {{"DIHO", "11"}, {"CODDIHO", "T1"}, {"DIA", "1"}, {"HORA", "1"}, {"HORADESDE", "08:30"}, {"HORAHASTA", "09:25"}, {"MARCO", "0"}},
        {{"DIHO", "11"}, {"CODDIHO", "T1-otro"}, {"DIA", "1"}, {"HORA", "1"}, {"HORADESDE", "07:00"}, {"HORAHASTA", "07:55"}, {"MARCO", "0"}},
        {{"DIHO", "12"}, {"CODDIHO", "T2"}, {"DIA", "1"}, {"HORA", "2"}, {"HORADESDE", "9:25"}, {"HORAHASTA", "10:20"}, {"MARCO", "0"}},
        {{"DIHO", "11"}, {"CODDIHO", "V1"}, {"DIA", "1"}, {"HORA", "1"}, {"HORADESDE", "14:05"}, {"HORAHASTA", "15:00"}, {"MARCO", "1"}},
        {{"DIHO", "23"}, {"CODDIHO", "T9"}, {"DIA", "2"}, {"HORA", "3"}, {"HORADESDE", "10:20"}, {"HORAHASTA", "11:15"}, {"MARCO", "0"}},
    });
    writeExchangeTable(dir, tables::GRUPOST, {
        {{"ABREV", "1A"}, {"CLAVE", "U1A"}},
        {{"ABREV", "1A"}, {"CLAVE", "U1A-otra"}},
        {{"ABREV", "1B"}, {"CLAVE", "U1B"}},
    });
    writeExchangeTable(dir, tables::PERIODOS, {
        {{"CJORNADA", "J1"}, {"FECINI", "15/09/2024"}, {"FECFIN", "23/06/2025"}},
        {{"CJORNADA", "J2"}, {"FECINI", "01/01/2000"}, {"FECFIN", "01/01/2001"}},
    });
    writeExchangeTable(dir, tables::AULAT, {});
    writeExchangeTable(dir, tables::CURSOST, {});
    //          PROF    DIA  HORA MARCO ASIG   CODGRUPO TAREA     AULA
    writeSoluc(dir, {
        {"GLA",  "1", "1", "0",  "MAT", "1A", "",       "A1"},
        {"O'NE", "1", "2", "0",  "LEN", "1A", "",       " A2"},
        {"GLA",  "0", "0", "",   "MAT", "1A", "",       ""},
        {"GLA",  "1", "1", "10", "GUA", "1B", "",       "   "},
        {"CER",  "0", "3", "0",  "MAT", "1A", "",       ""},
        {"ZZZ",  "1", "1", "0",  "MAT", "1A", "",       ""},
        {"GLA",  "3", "5", "0",  "MAT", "1B", "EXAMEN", ""},
        {"gla",  "1", "1", "0",  "mat", "1a", "",       ""},
        {"O'NE", "2", "3", "",   "MAT", "1A", "",       ""},
        {"GLA",  "2", "3", "0",  "GUA", "1A", "X1",     "A1"},
        {"CER",  "0", "0", "",   "",    "",   "",       ""},
        {"O'NE", "1", "1", "0",  "MAT", "1A", " T",     ""},
    });
}

std::filesystem::path importSchool(const ScratchFolder& dir) {
    const auto document = dir.write("horario.xml", schoolDocument());
    RecordingFrontEnd frontEnd;
    const auto result = importrun::runImport(
        {document, dir.path(), [] { return std::string("11/12/2025 10:40:00"); }}, frontEnd);
    EXPECT_EQ(result.outcome, stores::RunOutcome::Finished);
    return result.resultFile;
}

TEST(TeacherSchedules, EveryTeacherGetsAGroupWithItsPlacedLessonsOnly) {
    ScratchFolder dir;
    writeSchool(dir.path());
    const auto result = readResult(importSchool(dir));

    struct Case { const char* seq; const char* registros; const char* empleado; const char* toma; std::size_t activities; };
    const Case cases[] = {
        {"HORARIO_REGULAR_PROFESOR_1", "4", "1001", "01/09/2020", 4},  // a DIA 0 row between its lessons
        {"HORARIO_REGULAR_PROFESOR_2", "3", "1002", "15/09/2021", 3},  // a quote in the abbreviation
        {"HORARIO_REGULAR_PROFESOR_3", "0", "1003", "", 0},            // no row in SOLUC
        {"HORARIO_REGULAR_PROFESOR_4", "0", "1004", "01/10/2019", 0},  // only DIA 0 rows
        {"HORARIO_REGULAR_PROFESOR_5", "1", "1005", "02/09/2022", 1},  // "gla" is not "GLA"
    };
    EXPECT_EQ(result.schoolYear, "2024");
    EXPECT_EQ(result.teacherCount, "5");
    ASSERT_EQ(result.teachers.size(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        const auto& teacher = result.teachers[i];
        SCOPED_TRACE(c.seq);
        EXPECT_EQ(teacher.seq, c.seq);
        EXPECT_EQ(teacher.registros, c.registros);
        const decltype(teacher.values) values = {{"X_EMPLEADO", c.empleado}, {"F_TOMAPOS", c.toma}};
        EXPECT_EQ(teacher.values, values);
        ASSERT_EQ(teacher.activities.size(), c.activities);
        for (std::size_t a = 0; a < teacher.activities.size(); ++a)
            EXPECT_EQ(teacher.activities[a].seq, "ACTIVIDAD_" + std::to_string(a + 1));
    }
}

TEST(TeacherSchedules, EveryLessonTranslatesBackThroughTheFirstMatchingRows) {
    ScratchFolder dir;
    writeSchool(dir.path());
    const auto result = readResult(importSchool(dir));

    struct Case {
        std::size_t teacher, activity;
        const char* what;
        std::vector<std::string> values;  // N_DIASEMANA ... X_ACTIVIDAD
    };
    const Case cases[] = {
        {0, 0, "all found; first ASIGT, DIASHORAST and GRUPOST rows; blank CODTAREA gives 1",
         {"1", "T1", "A1", "U1A", "C1", "M1", "15/09/2024", "23/06/2025", "510", "565", "1"}},
        {0, 1, "MARCO 10 is frame 1; no ASIGT row; blank AULA; first ASIGNOMT row's CODTAREA",
         {"1", "V1", "", "U1B", "", "", "15/09/2024", "23/06/2025", "845", "900", "T-GUARDIA"}},
        {0, 2, "no slot for day 3 hour 5; TAREA as read",
         {"", "", "", "U1B", "C2", "M2", "15/09/2024", "23/06/2025", "0", "0", "EXAMEN"}},
        {0, 3, "TAREA wins over the subject's CODTAREA",
         {"2", "T9", "A1", "U1A", "", "", "15/09/2024", "23/06/2025", "620", "675", "X1"}},
        {1, 0, "AULA keeps its leading blank; 9:25 reads as 09:25; subject without ASIGNOMT row",
         {"1", "T2", " A2", "U1A", "C1", "L1", "15/09/2024", "23/06/2025", "565", "620", "1"}},
        {1, 1, "empty MARCO matches no slot",
         {"", "", "", "U1A", "C1", "M1", "15/09/2024", "23/06/2025", "0", "0", "1"}},
        {1, 2, "TAREA with a leading blank is written as read",
         {"1", "T1", "", "U1A", "C1", "M1", "15/09/2024", "23/06/2025", "510", "565", " T"}},
        {4, 0, "keys differ in letter case only: nothing found",
         {"1", "T1", "", "", "", "", "15/09/2024", "23/06/2025", "510", "565", "1"}},
    };
    const std::vector<std::string> names = {"N_DIASEMANA", "X_TRAMO", "X_DEPENDENCIA", "X_UNIDAD",
                                            "X_OFERTAMATRIG", "X_MATERIAOMG", "F_INICIO", "F_FIN",
                                            "N_HORINI", "N_HORFIN", "X_ACTIVIDAD"};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_LT(c.teacher, result.teachers.size());
        ASSERT_LT(c.activity, result.teachers[c.teacher].activities.size());
        const auto& values = result.teachers[c.teacher].activities[c.activity].values;
        ASSERT_EQ(values.size(), names.size());
        for (std::size_t i = 0; i < names.size(); ++i) {
            EXPECT_EQ(values[i].first, names[i]);
            EXPECT_EQ(values[i].second, c.values[i]) << names[i];
        }
    }
}

// The run groups SOLUC once instead of filtering it per teacher; both must give the same rows.
TEST(TeacherSchedules, GroupingGivesTheRowsOfTheEnginesFilter) {
    ScratchFolder dir;
    writeSchool(dir.path());
    const std::unordered_set<std::string> teachers = {"GLA", "O'NE", "NOL", "CER", "gla", "ZZZ", "GL"};
    auto soluc = stores::dbf::Table::open(dir.path(), tables::SOLUC);
    const auto grouped = importrun::SolutionLessons::read(soluc, teachers);
    const std::pair<const char*, const char*> filters[] = {
        {"GLA", "PROF= 'GLA'"}, {"O'NE", "PROF= 'O''NE'"}, {"NOL", "PROF= 'NOL'"},
        {"CER", "PROF= 'CER'"}, {"gla", "PROF= 'gla'"},    {"ZZZ", "PROF= 'ZZZ'"},
        {"GL", "PROF= 'GL'"},
    };
    for (const auto& [abrev, filter] : filters) {
        SCOPED_TRACE(filter);
        std::vector<std::string> expected;
        soluc.setFilter(filter);
        for (; !soluc.atEnd(); soluc.next())
            if (soluc.integer("DIA") != 0)
                expected.push_back(soluc.text("DIA") + "/" + soluc.text("HORA") + "/" +
                                   soluc.text("MARCO") + "/" + soluc.text("ASIG") + "/" +
                                   soluc.text("CODGRUPO") + "/" + soluc.text("TAREA") + "/" +
                                   soluc.text("AULA"));
        std::vector<std::string> actual;
        for (const auto& lesson : grouped.of(abrev))
            actual.push_back(lesson.dia + "/" + std::to_string(lesson.hour) + "/" + lesson.marco +
                             "/" + lesson.asig + "/" + lesson.codgrupo + "/" + lesson.tarea + "/" +
                             lesson.aula);
        EXPECT_EQ(actual, expected);
    }
    soluc.setFilter("");
}

}  // namespace
