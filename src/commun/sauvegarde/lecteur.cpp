#include "commun/sauvegarde/lecteur.h"
#include "commun/schema.h"

#include <QFile>
#include <QHash>
#include <QRegularExpression>

#include <algorithm>
#include <cstring>

namespace sauvegarde {

namespace {

bool espace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

// The first n bytes, or all of them.
QByteArrayView debut(QByteArrayView v, qsizetype n)
{
    return v.first(std::min(n, v.size()));
}

const QRegularExpression::PatternOptions sansCasse = QRegularExpression::CaseInsensitiveOption;

} // namespace

void LecteurDump::lire(const QByteArray &morceau)
{
    qsizetype debut = 0;
    for (;;) {
        const qsizetype fin = morceau.indexOf('\n', debut);
        if (fin < 0) {
            reste.append(morceau.constData() + debut, morceau.size() - debut);
            return;
        }
        if (reste.isEmpty()) {
            ligne(QByteArray::fromRawData(morceau.constData() + debut, fin - debut));
        } else {
            reste.append(morceau.constData() + debut, fin - debut);
            ligne(reste);
            reste.clear();
        }
        debut = fin + 1;
    }
}

void LecteurDump::refuser(const QString &pourquoi)
{
    if (examen.refus.isEmpty())
        examen.refus = pourquoi;
}

void LecteurDump::inattendue()
{
    refuser(QStringLiteral("sa ligne %1 contient une instruction qu'une sauvegarde de ce "
                           "programme ne contient pas")
                .arg(ligneInstruction ? ligneInstruction : numeroLigne));
}

bool LecteurDump::nommer(const QString &table, bool creee)
{
    if (!schema::tablesRegistres().contains(table)) {
        refuser(QStringLiteral("il nomme la table « %1 », qui n'est pas une table de ce programme")
                    .arg(table.left(64)));
        return false;
    }
    if (creee && !examen.tables.contains(table)) {
        examen.tables << table;
        examen.rangs << qMakePair(table, qint64(0));
    }
    return true;
}

// One line of the file; strings and block comments may go on over several.
void LecteurDump::ligne(const QByteArray &texte)
{
    ++numeroLigne;
    if (!examen.refus.isEmpty())
        return;
    QByteArrayView l(texte);
    const bool retour = l.endsWith('\r');
    if (retour)
        l.chop(1);
    const QByteArrayView nette = l.trimmed();
    if (!nette.isEmpty())
        derniereLigne = debut(nette, 64).toByteArray();

    // The line with which mariadb-dump asks the client to refuse its own
    // commands: only welcome.
    if (etat == Code && !conditionnel && instruction.isEmpty()
        && nette == QByteArrayView("/*M!999999\\- enable the sandbox mode */"))
        return;

    for (qsizetype i = 0; i < l.size() && examen.refus.isEmpty(); ++i)
        i = etat == Code ? code(l, i) : horsCode(l, i);
    if (etat == Code)
        blanc();
    else if (etat == Identifiant)
        identifiant += '\n';
    else if (etat == Chaine) {
        // The line break is the string's, and a backslash before it escapes it.
        chaines.last() += retour ? "\r\n" : "\n";
        echappe = false;
    }
}

// The statement starts here, unless it already has.
void LecteurDump::commencer()
{
    if (instruction.isEmpty())
        ligneInstruction = numeroLigne;
}

// Spaces, line breaks and comments, as one space.
void LecteurDump::blanc()
{
    if (!instruction.isEmpty() && !instruction.endsWith(' '))
        instruction += ' ';
}

qsizetype LecteurDump::code(QByteArrayView l, qsizetype i)
{
    const qsizetype n = l.size();
    const char c = l.at(i);
    const char suivant = i + 1 < n ? l.at(i + 1) : '\n';
    if (c == '\'' || c == '"') {
        commencer();
        etat = Chaine;
        guillemet = c;
        instruction += '?';
        chaines << QByteArray(1, c);
    } else if (c == '`') {
        commencer();
        etat = Identifiant;
        identifiant.clear();
    } else if (c == '#' || (c == '-' && suivant == '-' && (i + 2 >= n || espace(l.at(i + 2))))) {
        return n;
    } else if (c == '/' && suivant == '*') {
        return commentaire(l, i);
    } else if (c == '*' && suivant == '/' && conditionnel) {
        conditionnel = false;
        blanc();
        return i + 1;
    } else if (c == ';') {
        if (conditionnel)
            inattendue();
        else
            instructionFinie();
    } else if (c == '\\') {
        // A command of the client itself, not SQL.
        commencer();
        inattendue();
    } else if (espace(c)) {
        blanc();
    } else {
        commencer();
        instruction += c;
    }
    return i;
}

// "/*" at i: a comment, or code the server runs from its version on, read as
// code.
qsizetype LecteurDump::commentaire(QByteArrayView l, qsizetype i)
{
    const qsizetype n = l.size();
    const bool version = i + 2 < n
        && (l.at(i + 2) == '!' || (l.at(i + 2) == 'M' && i + 3 < n && l.at(i + 3) == '!'));
    if (!version) {
        etat = CommentaireBloc;
        return i + 1;
    }
    if (conditionnel) {
        inattendue();
        return n;
    }
    commencer();
    conditionnel = true;
    i += l.at(i + 2) == '!' ? 2 : 3;
    while (i + 1 < n && l.at(i + 1) >= '0' && l.at(i + 1) <= '9')
        ++i;
    blanc();
    return i;
}

qsizetype LecteurDump::horsCode(QByteArrayView l, qsizetype i)
{
    const char c = l.at(i);
    const char suivant = i + 1 < l.size() ? l.at(i + 1) : '\n';
    switch (etat) {
    case Chaine:
        chaines.last() += c;
        if (echappe) {
            echappe = false;
        } else if (c == '\\') {
            echappe = true;
        } else if (c == guillemet) {
            if (suivant != guillemet) {
                etat = Code;
                break;
            }
            chaines.last() += c;
            return i + 1;
        }
        break;
    case Identifiant:
        if (c != '`') {
            identifiant += c;
        } else if (suivant == '`') {
            identifiant += '`';
            return i + 1;
        } else {
            etat = Code;
            instruction += '`' + identifiant + '`';
        }
        break;
    case CommentaireBloc:
        if (c == '*' && suivant == '/') {
            etat = Code;
            blanc();
            return i + 1;
        }
        break;
    case Code:
        break;
    }
    return i;
}

void LecteurDump::instructionFinie()
{
    const QByteArray brut = instruction.trimmed();
    instruction.clear();
    const struct Oubli
    {
        QByteArrayList &chaines;
        ~Oubli() { chaines.clear(); }
    } oubli { chaines };
    if (brut.isEmpty())
        return;
    if (debut(brut, 7).compare("INSERT ", Qt::CaseInsensitive) == 0)
        return insertion(brut);

    const QString s = QString::fromUtf8(brut);
    static const QRegularExpression nommees[] = {
        QRegularExpression(QStringLiteral("^DROP TABLE IF EXISTS `([^`]*)`$"), sansCasse),
        QRegularExpression(QStringLiteral("^LOCK TABLES `([^`]*)` WRITE$"), sansCasse),
        QRegularExpression(QStringLiteral("^ALTER TABLE `([^`]*)` (?:DISABLE|ENABLE) KEYS$"),
                           sansCasse),
    };
    for (const QRegularExpression &motif : nommees) {
        const QRegularExpressionMatch m = motif.match(s);
        if (m.hasMatch()) {
            nommer(m.captured(1));
            return;
        }
    }
    static const QRegularExpression deverrouillage(QStringLiteral("^UNLOCK TABLES$"), sansCasse);
    if (deverrouillage.match(s).hasMatch() || creation(s))
        return;
    if (s.startsWith(QLatin1String("SET "), Qt::CaseInsensitive))
        return reglages(s);
    inattendue();
}

// Rows: only plain values, numbers, NULL and strings, row after row.
void LecteurDump::insertion(const QByteArray &brut)
{
    static const QRegularExpression motif(
        QStringLiteral("^INSERT INTO `([^`]*)`(?: \\((?:`[^`]*`(?:, ?)?)*\\))? ?VALUES ?$"),
        sansCasse);
    const qsizetype valeurs = brut.indexOf("VALUES");
    const QRegularExpressionMatch entete = valeurs < 0
        ? QRegularExpressionMatch()
        : motif.match(QString::fromUtf8(brut.left(valeurs + 6)));
    if (!entete.hasMatch())
        return inattendue();
    const QString table = entete.captured(1);
    if (!nommer(table))
        return;
    if (!creees.contains(table))
        return inattendue();
    // The statement run: its words, and its strings as written.
    QByteArray texte = brut.left(valeurs + 6);
    qsizetype chaine = 0;
    qint64 rangs = 0;
    int profondeur = 0;
    for (qsizetype i = valeurs + 6; i < brut.size(); ++i) {
        const char c = brut.at(i);
        if (c == '(') {
            if (profondeur++ != 0)
                return inattendue();
            ++rangs;
        } else if (c == ')') {
            if (--profondeur != 0)
                return inattendue();
        } else if (c == 'N' || c == 'n') {
            if (debut(QByteArrayView(brut).sliced(i), 4).compare("NULL", Qt::CaseInsensitive) != 0)
                return inattendue();
            texte += "NULL";
            i += 3;
            continue;
        } else if (c == '?') {
            if (chaine == chaines.size())
                return inattendue();
            texte += chaines.at(chaine++);
            continue;
        } else if (c == '\0' || !std::strchr("0123456789.+-eE, ", c)) {
            return inattendue();
        }
        texte += c;
    }
    if (profondeur != 0 || rangs == 0 || chaine != chaines.size()
        || !QByteArrayView(texte).isValidUtf8())
        return inattendue();
    examen.instructions << Instruction { Instruction::Insertion, table, texte };
    for (auto &paire : examen.rangs) {
        if (paire.first == table)
            paire.second += rangs;
    }
}

// A table of the program, with its columns in its order and keys, on InnoDB
// (the only engine that writes all or nothing); no link to another table, no
// data taken from elsewhere, no file of its own. False when the statement
// creates no table.
bool LecteurDump::creation(const QString &s)
{
    static const QRegularExpression motif(
        QStringLiteral("^CREATE TABLE `([^`]*)` \\((.*)\\)((?: (?:DEFAULT CHARSET|CHARSET|DEFAULT "
                       "COLLATE|COLLATE|ENGINE|AUTO_INCREMENT|ROW_FORMAT|COMMENT|PAGE_CHECKSUM|"
                       "TRANSACTIONAL|CHECKSUM|STATS_PERSISTENT|PACK_KEYS) ?= ?[^ ]+)*)$"),
        sansCasse);
    static const QRegularExpression interdits(
        QStringLiteral("\\b(?:REFERENCES|SELECT|DIRECTORY|CONNECTION)\\b"), sansCasse);
    const QRegularExpressionMatch table = motif.match(s);
    if (!table.hasMatch())
        return false;
    // The columns are the definitions that begin with a name.
    QStringList colonnes;
    int profondeur = 0;
    qsizetype debutDefinition = 0;
    const QString corps = table.captured(2) + QLatin1Char(',');
    for (qsizetype i = 0; i < corps.size(); ++i) {
        const QChar c = corps.at(i);
        profondeur += c == QLatin1Char('(') ? 1 : c == QLatin1Char(')') ? -1 : 0;
        if (c != QLatin1Char(',') || profondeur != 0)
            continue;
        const QString definition = corps.mid(debutDefinition, i - debutDefinition).trimmed();
        if (definition.startsWith(QLatin1Char('`')))
            colonnes << definition.section(QLatin1Char('`'), 1, 1);
        debutDefinition = i + 1;
    }
    // The file's engine is not taken: the table is made again as the program
    // makes it, on InnoDB (a backup written where tables had no transactions
    // comes back with them).
    if (interdits.match(table.captured(2)).hasMatch()
        || colonnes != schema::colonnes(table.captured(1))) {
        inattendue();
    } else if (nommer(table.captured(1), true)) {
        creees << table.captured(1);
        // The next key, so that keys of deleted rows are not given again.
        static const QRegularExpression cle(
            QStringLiteral("AUTO_INCREMENT ?= ?([0-9]{1,19})(?: |$)"), sansCasse);
        examen.instructions << Instruction { Instruction::Creation, table.captured(1),
                                             cle.match(table.captured(3)).captured(1).toLatin1() };
    }
    return true;
}

// Settings of the session, as every dump saves, makes and puts back. None is
// run: the restoration sets the session itself. Still, a file that would
// change how strings are read (a mode as a number or with ANSI quotes or
// without backslash escapes, a character set passed through a variable) is
// not a backup of this program.
void LecteurDump::reglages(const QString &s)
{
    static const QRegularExpression affectation(
        QStringLiteral("^(@{0,2}[A-Za-z_][A-Za-z_0-9.]*)(?: ?= ?| )([^ ]+)$"));
    qsizetype chaine = 0;
    const QStringList parties = s.mid(4).split(QLatin1Char(','));
    for (const QString &partie : parties) {
        const QRegularExpressionMatch m = affectation.match(partie.trimmed());
        if (!m.hasMatch() || !reglage(m.captured(1), m.captured(2), &chaine))
            return inattendue();
    }
}

// One setting: a user variable saves a setting of the session; a setting
// takes back a saved value, or one of the values mariadb-dump writes.
bool LecteurDump::reglage(const QString &nom, const QString &valeur, qsizetype *chaine)
{
    const QStringList jeux = { QStringLiteral("utf8"), QStringLiteral("utf8mb3"),
                               QStringLiteral("utf8mb4"), QStringLiteral("latin1"),
                               QStringLiteral("binary") };
    const QStringList bascule = { QStringLiteral("0"), QStringLiteral("1") };
    static const QHash<QString, QStringList> permises = {
        { QStringLiteral("NAMES"), jeux },
        { QStringLiteral("CHARACTER_SET_CLIENT"), jeux },
        { QStringLiteral("CHARACTER_SET_RESULTS"), jeux },
        { QStringLiteral("COLLATION_CONNECTION"), {} },
        { QStringLiteral("TIME_ZONE"), { QStringLiteral("'+00:00'") } },
        { QStringLiteral("SQL_MODE"), { QStringLiteral("'NO_AUTO_VALUE_ON_ZERO'"), "''" } },
        { QStringLiteral("UNIQUE_CHECKS"), bascule },
        { QStringLiteral("FOREIGN_KEY_CHECKS"), bascule },
        { QStringLiteral("SQL_NOTES"), bascule },
        { QStringLiteral("NOTE_VERBOSITY"), bascule },
        { QStringLiteral("AUTOCOMMIT"), bascule },
        { QStringLiteral("CHECK_CONSTRAINT_CHECKS"), bascule },
    };
    QString v = valeur;
    if (v == QLatin1String("?")) {
        if (*chaine >= chaines.size())
            return false;
        v = QString::fromUtf8(chaines.at((*chaine)++));
    }
    const QString variable = nom.toUpper();
    if (variable.startsWith(QLatin1Char('@')) && !variable.startsWith(QLatin1String("@@"))) {
        if (!v.startsWith(QLatin1String("@@")) || !permises.contains(v.mid(2).toUpper()))
            return false;
        sauvees << variable;
        return true;
    }
    if (!permises.contains(variable))
        return false;
    if (v.startsWith(QLatin1Char('@')))
        return sauvees.contains(v.toUpper());
    return permises.value(variable).contains(v, Qt::CaseInsensitive);
}

Examen LecteurDump::fin()
{
    if (!reste.isEmpty()) {
        const QByteArray derniere = reste;
        reste.clear();
        ligne(derniere);
    }
    if (examen.refus.isEmpty()) {
        const bool complet = etat == Code && !conditionnel && instruction.trimmed().isEmpty()
            && derniereLigne.startsWith("-- Dump completed");
        if (!complet) {
            refuser(QStringLiteral("il s'arrête avant la dernière ligne qu'écrit mariadb-dump : il "
                                   "est incomplet"));
        } else if (examen.tables.isEmpty()) {
            refuser(QStringLiteral("il ne contient aucune table de ce programme"));
        }
    }
    return examen;
}

Examen examiner(const QString &chemin)
{
    QFile fichier(chemin);
    if (!fichier.open(QIODevice::ReadOnly)) {
        Examen illisible;
        illisible.refus = QStringLiteral("il ne peut pas être lu (%1)").arg(fichier.errorString());
        return illisible;
    }
    LecteurDump lecteur;
    while (!fichier.atEnd()) {
        const QByteArray morceau = fichier.read(1 << 20);
        if (morceau.isEmpty())
            break;
        lecteur.lire(morceau);
    }
    return lecteur.fin();
}

} // namespace sauvegarde
