#ifndef EMPLOYES_ETAT_H
#define EMPLOYES_ETAT_H

#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>
#include <QSpinBox>
#include <QSqlTableModel>
#include <QTextEdit>

// What the staff section's open dialog holds, for the slots that validate it.
struct EtatEmployes
{
    // Add a person
    QPointer<QLineEdit> nomEdit;
    QPointer<QLineEdit> prenomEdit;
    QPointer<QLineEdit> domaineEdit;
    QPointer<QRadioButton> masculinButton;
    QPointer<QComboBox> jourNaissanceBox;
    QPointer<QComboBox> moisNaissanceBox;
    QPointer<QComboBox> anneeNaissanceBox;
    QPointer<QComboBox> jourDebutBox;
    QPointer<QComboBox> moisDebutBox;
    QPointer<QComboBox> anneeDebutBox;
    // Interns only
    QPointer<QSpinBox> dureeBox;
    QPointer<QTextEdit> employeCommentaireEdit;
    // Delete a person, add an absence: the entries carry the person's number
    QPointer<QComboBox> personneBox;
    // Add an absence
    QPointer<QSpinBox> heureBox;
    QPointer<QComboBox> jourAbsenceBox;
    QPointer<QComboBox> moisAbsenceBox;
    QPointer<QComboBox> anneeAbsenceBox;
    // Delete an absence: the entries carry the absence's number
    QPointer<QComboBox> absenceBox;
    // Display and edit
    QPointer<QSqlTableModel> tableModel;
};

#endif // EMPLOYES_ETAT_H
