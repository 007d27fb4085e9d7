#include "compte/import.h"
#include "commun/saisie.h"

#include <QHash>
#include <QRegularExpression>
#include <QStringDecoder>

#include <csv.h>

#include <algorithm>

namespace compte {

namespace {

// The characters Windows-1252 puts where Latin-1 has its control codes
// 0x80-0x9F; its five unassigned codes read as the replacement character.
const char16_t cp1252[32] = { 0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                              0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
                              0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                              0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178 };

const QByteArray bom("\xEF\xBB\xBF");

// A record as the parser hands it over, and where it ended.
struct Lecteur
{
    QList<LigneReleve> lignes;
    QStringList cellules;
    int ligneCourante = 1;
    int sautsDansLesChamps = 0;
};

void champLu(void *donnees, size_t taille, void *lecteur)
{
    auto *l = static_cast<Lecteur *>(lecteur);
    QString texte = QString::fromUtf8(static_cast<const char *>(donnees), qsizetype(taille));
    l->sautsDansLesChamps += int(texte.count(QLatin1Char('\n')));
    texte.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    l->cellules << texte.trimmed();
}

void ligneLue(int, void *lecteur)
{
    auto *l = static_cast<Lecteur *>(lecteur);
    LigneReleve ligne;
    // A record ends on the line being read; its quoted line breaks say where it began.
    ligne.numero = l->ligneCourante - l->sautsDansLesChamps;
    ligne.cellules.swap(l->cellules);
    l->sautsDansLesChamps = 0;
    const bool vide = std::all_of(ligne.cellules.cbegin(), ligne.cellules.cend(),
                                  [](const QString &c) { return c.isEmpty(); });
    if (!vide)
        l->lignes << ligne;
}

int espace(unsigned char c)
{
    return c == CSV_SPACE;
}

// The records of the text, cut at `separateur` as RFC 4180 says (quoted
// fields hold separators, doubled quotes and line breaks), numbered by the
// line where each begins; blank ones left out.
QList<LigneReleve> enregistrements(const QString &texte, char separateur)
{
    const QByteArray octets = texte.toUtf8();
    csv_parser analyseur;
    if (csv_init(&analyseur, 0) != 0)
        return {};
    csv_set_delim(&analyseur, static_cast<unsigned char>(separateur));
    csv_set_space_func(&analyseur, espace);
    Lecteur lecteur;
    // Fed a line at a time, so that each record knows the line it ends on.
    qsizetype debut = 0;
    while (debut < octets.size()) {
        qsizetype fin = octets.indexOf('\n', debut);
        fin = fin < 0 ? octets.size() : fin + 1;
        csv_parse(&analyseur, octets.constData() + debut, size_t(fin - debut), champLu, ligneLue,
                  &lecteur);
        debut = fin;
        if (debut < octets.size())
            ++lecteur.ligneCourante;
    }
    csv_fini(&analyseur, champLu, ligneLue, &lecteur);
    csv_free(&analyseur);
    return lecteur.lignes;
}

// The day a cell gives in a format of formatsDate(); an invalid date when it gives none.
QDate dateLue(const QString &texte, const QString &format)
{
    static const QHash<QString, QRegularExpression> formes = {
        { QStringLiteral("dd/MM/yyyy"),
          QRegularExpression(QStringLiteral("^(\\d{1,2})/(\\d{1,2})/(\\d{4})$")) },
        { QStringLiteral("dd/MM/yy"),
          QRegularExpression(QStringLiteral("^(\\d{1,2})/(\\d{1,2})/(\\d{2})$")) },
        { QStringLiteral("yyyy-MM-dd"),
          QRegularExpression(QStringLiteral("^(\\d{4})-(\\d{1,2})-(\\d{1,2})(?:[ T][0-9:.]*)?$")) },
    };
    const QRegularExpressionMatch m = formes.value(format).match(texte);
    if (!m.hasMatch())
        return {};
    const bool anneeEnTete = format.startsWith(QLatin1Char('y'));
    int annee = m.captured(anneeEnTete ? 1 : 3).toInt();
    if (annee < 100)
        annee += 2000;
    // The book's dates start at year 1000: an earlier one would not be stored as read.
    if (annee < 1000)
        return {};
    return QDate(annee, m.captured(2).toInt(), m.captured(anneeEnTete ? 3 : 1).toInt());
}

// An amount cell: the amount as the register stores it (positive), and
// whether it was written negative; a null text and the reason when it is
// no amount.
QString montantSigne(const QString &texte, bool *negatif, QString *raison)
{
    QString t = texte.trimmed();
    *negatif = t.startsWith(QLatin1Char('-')) || t.startsWith(QChar(0x2212));
    if (*negatif || t.startsWith(QLatin1Char('+')))
        t.remove(0, 1);
    return montantLu(t, QStringLiteral("Le montant « %1 »").arg(texte), false, raison);
}

QString cellule(const LigneReleve &ligne, int colonne)
{
    return colonne >= 0 ? ligne.cellules.value(colonne) : QString();
}

// The kind and amount of a line read with debit and credit columns.
QString montantDebitCredit(const LigneReleve &ligne, const Lecture &lecture, QString *sujet,
                           QString *raison)
{
    const QString debit = cellule(ligne, lecture.colonneDebit);
    const QString credit = cellule(ligne, lecture.colonneCredit);
    if (debit.isEmpty() == credit.isEmpty()) {
        *raison = debit.isEmpty() ? QStringLiteral("Ni le débit ni le crédit ne sont remplis")
                                  : QStringLiteral("Le débit et le crédit sont tous deux remplis");
        return QString();
    }
    bool negatif = false;
    const QString montant = montantSigne(debit.isEmpty() ? credit : debit, &negatif, raison);
    // A debit is an expense however it is signed; a negative credit too.
    *sujet = debit.isEmpty() && !negatif ? QStringLiteral("Gain") : QStringLiteral("Dépense");
    return montant;
}

// The entry a line of data gives, or why it gives none.
void lireDonnee(LigneReleve &ligne, const Lecture &lecture)
{
    const int requises = 1
        + std::max({ lecture.colonneDate, lecture.colonneLibelle,
                     lecture.mode == ModeMontant::Signe ? lecture.colonneMontant : -1,
                     lecture.mode == ModeMontant::DebitCredit
                         ? std::max(lecture.colonneDebit, lecture.colonneCredit)
                         : -1 });
    const int colonnes = int(ligne.cellules.size());
    const QString texteDate = cellule(ligne, lecture.colonneDate);
    const QDate date = dateLue(texteDate, lecture.formatDate);
    if (!date.isValid()) {
        ligne.raison = QStringLiteral("La date « %1 » n'est pas une date au format %2")
                           .arg(texteDate, lecture.formatDate);
        return;
    }
    // Debit and credit cells left empty at the end of a line may be missing.
    if (colonnes < requises && lecture.mode == ModeMontant::Signe) {
        ligne.raison = QStringLiteral("La ligne n'a que %1 colonnes").arg(colonnes);
        return;
    }
    QString sujet;
    QString montant;
    if (lecture.mode == ModeMontant::Signe) {
        bool negatif = false;
        montant = montantSigne(cellule(ligne, lecture.colonneMontant), &negatif, &ligne.raison);
        sujet = negatif ? QStringLiteral("Dépense") : QStringLiteral("Gain");
    } else {
        montant = montantDebitCredit(ligne, lecture, &sujet, &ligne.raison);
    }
    if (montant.isNull())
        return;
    const QString libelle = cellule(ligne, lecture.colonneLibelle);
    ligne.raison = premierRefus({ { QStringLiteral("Le libellé"), libelle, 0 } });
    if (ligne.raison.isEmpty())
        ligne.ecriture = { {}, sujet, montant, libelle, QDateTime(date, QTime(12, 0)) };
}

// Whether a cell reads as an amount (zero included), signed or not.
bool estMontant(const QString &texte)
{
    QString t = texte.trimmed();
    if (t.startsWith(QLatin1Char('-')) || t.startsWith(QLatin1Char('+')))
        t.remove(0, 1);
    return !t.isEmpty() && !montantLu(t, QString(), true, nullptr).isNull();
}

// A column's name without case or accents ("Libellé" gives "libelle").
QString sansAccents(const QString &texte)
{
    QString simple;
    for (const QChar c : texte.toLower().normalized(QString::NormalizationForm_D)) {
        if (c.category() != QChar::Mark_NonSpacing)
            simple += c;
    }
    return simple;
}

// The first column whose name holds one of the words; -1 when none does.
int colonneNommee(const QStringList &entetes, const QStringList &mots, int sauf = -1)
{
    for (int i = 0; i < entetes.size(); ++i) {
        const QString nom = sansAccents(entetes.at(i));
        for (const QString &mot : mots) {
            if (i != sauf && nom.contains(mot))
                return i;
        }
    }
    return -1;
}

// The first records of the file, enough to judge its shape.
QString debut(const QString &texte)
{
    qsizetype fin = 0;
    for (int n = 0; n < 200 && fin >= 0; ++n)
        fin = texte.indexOf(QLatin1Char('\n'), fin + 1);
    return fin < 0 ? texte : texte.left(fin + 1);
}

// The separator whose records are most often of one width, wider ones first.
char separateurDe(const QString &texte)
{
    char meilleur = ';';
    int meilleurScore = 0;
    for (const char separateur : { ';', ',', '\t' }) {
        QHash<int, int> largeurs;
        for (const LigneReleve &ligne : enregistrements(texte, separateur))
            ++largeurs[int(ligne.cellules.size())];
        for (auto l = largeurs.cbegin(); l != largeurs.cend(); ++l) {
            if (l.value() * (l.key() - 1) > meilleurScore) {
                meilleurScore = l.value() * (l.key() - 1);
                meilleur = separateur;
            }
        }
    }
    return meilleur;
}

bool estDate(const QString &texte)
{
    const QStringList formats = formatsDate();
    return std::any_of(formats.cbegin(), formats.cend(),
                       [&](const QString &f) { return dateLue(texte, f).isValid(); });
}

bool contientDate(const LigneReleve &ligne)
{
    return std::any_of(ligne.cellules.cbegin(), ligne.cellules.cend(), estDate);
}

// The line of the column names: the first with several cells of words,
// neither numbers nor dates, followed by a line with a date; 0 when none is.
int enteteDe(const QList<LigneReleve> &lignes)
{
    for (int i = 0; i + 1 < lignes.size(); ++i) {
        const QStringList &c = lignes.at(i).cellules;
        const auto noms = std::count_if(c.cbegin(), c.cend(), [](const QString &t) {
            return std::any_of(t.cbegin(), t.cend(), [](QChar c) { return c.isLetter(); })
                && !estMontant(t) && !estDate(t);
        });
        if (noms >= 2 && !contientDate(lignes.at(i)) && contientDate(lignes.at(i + 1)))
            return lignes.at(i).numero;
    }
    return 0;
}

// The date format most cells of the data give a day in, and the first
// column that gives the most.
void dateDe(const QList<LigneReleve> &donnees, Lecture *lecture)
{
    int meilleur = 0;
    for (const QString &format : formatsDate()) {
        QHash<int, int> parColonne;
        for (const LigneReleve &ligne : donnees) {
            for (int i = 0; i < ligne.cellules.size(); ++i)
                parColonne[i] += dateLue(ligne.cellules.at(i), format).isValid() ? 1 : 0;
        }
        for (int i = 0; i < parColonne.size(); ++i) {
            if (parColonne.value(i) > meilleur) {
                meilleur = parColonne.value(i);
                lecture->formatDate = format;
                lecture->colonneDate = i;
            }
        }
    }
}

// The columns of the amounts and the label, judged by what the data hold.
void colonnesParContenu(const QList<LigneReleve> &donnees, int largeur, Lecture *lecture)
{
    QList<int> montants;
    int libelle = -1;
    double plusLong = -1;
    for (int i = 0; i < largeur; ++i) {
        if (i == lecture->colonneDate)
            continue;
        int remplies = 0, nombres = 0;
        qsizetype longueur = 0;
        for (const LigneReleve &ligne : donnees) {
            const QString c = ligne.cellules.value(i);
            remplies += c.isEmpty() ? 0 : 1;
            nombres += estMontant(c) ? 1 : 0;
            longueur += c.size();
        }
        if (remplies > 0 && nombres == remplies)
            montants << i;
        else if (double(longueur) / std::max(1, int(donnees.size())) > plusLong) {
            plusLong = double(longueur) / std::max(1, int(donnees.size()));
            libelle = i;
        }
    }
    lecture->colonneLibelle = libelle;
    // Two amount columns never filled on one line are a debit and a credit.
    const bool deux = montants.size() >= 2
        && std::none_of(donnees.cbegin(), donnees.cend(), [&](const LigneReleve &l) {
                          return !l.cellules.value(montants.at(0)).isEmpty()
                              && !l.cellules.value(montants.at(1)).isEmpty();
                      });
    lecture->mode = deux ? ModeMontant::DebitCredit : ModeMontant::Signe;
    lecture->colonneMontant = deux ? -1 : montants.value(0, -1);
    lecture->colonneDebit = deux ? montants.at(0) : -1;
    lecture->colonneCredit = deux ? montants.at(1) : -1;
}

} // namespace

QStringList formatsDate()
{
    return { QStringLiteral("dd/MM/yyyy"), QStringLiteral("dd/MM/yy"),
             QStringLiteral("yyyy-MM-dd") };
}

QString decoder(const QByteArray &octets, Encodage encodage)
{
    const QByteArray corps = octets.startsWith(bom) ? octets.mid(bom.size()) : octets;
    if (encodage != Encodage::Windows1252)
        return QString::fromUtf8(corps);
    QString texte = QString::fromLatin1(corps);
    for (QChar &c : texte) {
        if (c.unicode() >= 0x80 && c.unicode() <= 0x9F)
            c = QChar(cp1252[c.unicode() - 0x80]);
    }
    return texte;
}

Releve lireReleve(const QByteArray &octets, const Lecture &lecture)
{
    Releve releve;
    releve.lignes = enregistrements(decoder(octets, lecture.encodage), lecture.separateur);
    for (LigneReleve &ligne : releve.lignes) {
        releve.colonnes = std::max(releve.colonnes, int(ligne.cellules.size()));
        if (ligne.numero < lecture.entete) {
            ligne.role = LigneReleve::Titre;
        } else if (ligne.numero == lecture.entete) {
            ligne.role = LigneReleve::Entete;
            releve.entetes = ligne.cellules;
        } else {
            lireDonnee(ligne, lecture);
        }
    }
    return releve;
}

Lecture detecter(const QByteArray &octets)
{
    Lecture lecture;
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString essai = utf8.decode(octets);
    lecture.encodage = octets.startsWith(bom) ? Encodage::Utf8Bom
        : utf8.hasError()                     ? Encodage::Windows1252
                                              : Encodage::Utf8;
    const QString texte = debut(decoder(octets, lecture.encodage));
    lecture.separateur = separateurDe(texte);
    const QList<LigneReleve> lignes = enregistrements(texte, lecture.separateur);
    lecture.entete = enteteDe(lignes);

    QList<LigneReleve> donnees;
    QStringList entetes;
    int largeur = 0;
    for (const LigneReleve &ligne : lignes) {
        if (ligne.numero == lecture.entete)
            entetes = ligne.cellules;
        else if (ligne.numero > lecture.entete && contientDate(ligne))
            donnees << ligne;
        largeur = std::max(largeur, int(ligne.cellules.size()));
    }
    dateDe(donnees, &lecture);
    colonnesParContenu(donnees, largeur, &lecture);

    // Named columns win over what their content suggests.
    const int date = colonneNommee(entetes, { QStringLiteral("date") });
    if (date >= 0)
        lecture.colonneDate = date;
    const int libelle = colonneNommee(entetes,
                                      { QStringLiteral("libelle"), QStringLiteral("description"),
                                        QStringLiteral("intitule"), QStringLiteral("detail"),
                                        QStringLiteral("nature"), QStringLiteral("operation") },
                                      lecture.colonneDate);
    if (libelle >= 0)
        lecture.colonneLibelle = libelle;
    const int debit = colonneNommee(entetes, { QStringLiteral("debit") });
    const int credit = colonneNommee(entetes, { QStringLiteral("credit") });
    const int montant =
        colonneNommee(entetes, { QStringLiteral("montant"), QStringLiteral("somme") });
    if (debit >= 0 && credit >= 0) {
        lecture.mode = ModeMontant::DebitCredit;
        lecture.colonneDebit = debit;
        lecture.colonneCredit = credit;
    } else if (montant >= 0) {
        lecture.mode = ModeMontant::Signe;
        lecture.colonneMontant = montant;
    }
    return lecture;
}

} // namespace compte
