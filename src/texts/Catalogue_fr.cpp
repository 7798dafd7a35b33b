// French user texts, in catalogue order. Entry numbers are fixed: entries
// that nothing shows (8, 103) keep their places so that later numbers hold.
#include "texts/Catalogue.h"

namespace texts::fr {
const char* const Table[kTextCount] = {
    "Version 3.16 ", // 0
    "    Relevé imprimé par le moniteur de chargeur", // 1
    "Zephyral", // 2
    "Contrôleur pour chargeurs Zephyral", // 3
    "Suivi des chargeurs Zephyral sur port série", // 4
    "Logiciel pour les chargeurs Zephyral", // 5
    "Système", // 6
    "Changer le chargeur", // 7
    "Historique Accu", // 8
    "Quitter", // 9
    "Communication", // 10
    "Mesures", // 11
    "Effacer", // 12
    "Mémoires", // 13
    "Effacer", // 14
    "Aide", // 15
    "A propos ...", // 16
    "Erreur ouverture driver serie COM1", // 17
    "Pas de COM1", // 18
    "Driver série COM1 ouvert ", // 19
    "Fermeture", // 20
    "Pas ouvert", // 21
    "Erreur ouverture driver serie COM2", // 22
    "Pas de COM2", // 23
    "Driver série COM2 ouvert ", // 24
    "Erreur ouverture driver serie COM3", // 25
    "Pas de COM3", // 26
    "Driver série COM3 ouvert ", // 27
    "Erreur ouverture driver serie COM4", // 28
    "Pas de COM4", // 29
    "Driver série COM4 ouvert ", // 30
    "Erreur ouverture driver serie COM5", // 31
    "Pas de COM5", // 32
    "Driver série COM5 ouvert ", // 33
    "Erreur ouverture driver serie COM6", // 34
    "Pas de COM6", // 35
    "Driver série COM6 ouvert ", // 36
    "Caractéristiques Accu 1", // 37
    "Caractéristiques Accu 2", // 38
    "Caractéristiques de l'Accu", // 39
    "Accu", // 40
    "Référence", // 41
    "Type", // 42
    "Elém.", // 43
    "Delta Peak", // 44
    "Rés.", // 45
    "Capacité", // 46
    "Coupure", // 47
    "Charge", // 48
    "Décharge", // 49
    "Nom du fichier de description de l'accu dans le répertoire PACKS", // 50
    "Référence de l'accu (Fichier Pack)", // 51
    "Type de l'accu : LiPo, NiCad, NiMh, Life ... (Fichier Pack)", // 52
    "Nombre d'éléments (Fichier Pack)", // 53
    "Type de Delta Peak sélectionné (Fichier Pack)", // 54
    "Résistance de l'accu, calculée par le logiciel (cable compris)", // 55
    "Capacité de l'accu (Fichier Pack)", // 56
    "Courant de charge de l'accu (Fichier Pack)", // 57
    "Tension de coupure de décharge de l'accu (Fichier Pack)", // 58
    "Courant de décharge de l'accu (Fichier Pack)", // 59
    "Editer le fichier des caractéristiques de l'accu", // 60
    "Données Chargeur", // 61
    "Alimentation", // 62
    "Température", // 63
    "Sortie 1", // 64
    "Sortie 2", // 65
    "Cycle", // 66
    "Données du chargeur", // 67
    "Tension d'alimentation du chargeur", // 68
    "Température remontée par la sonde", // 69
    "Sortie sur laquelle est corrélée la température", // 70
    "Opération en cours sur la sortie 1", // 71
    "Opération en cours sur la sortie 2", // 72
    "Numéro du cycle de charge/décharge en cours", // 73
    "Sortie 1 - Données Graphiques", // 74
    "Sortie 2 - Données Graphiques", // 75
    "Temps", // 76
    "Tension (Volts)", // 77
    "Courant (Ampères)", // 78
    "Capacité (chargée/déchargée)", // 79
    "Balancer/Equilibreur", // 80
    "Moyenne = %4d mV", // 81
    "Ecart Max = %4d mV", // 82
    "%d Cells", // 83
    "Mémoires", // 84
    "Graphique pour la sortie 1 (Cliquez [Gauche/Droite] pour modifier les échelles et Ajouter/Retirer les marqueurs)", // 85
    "Graphique pour la sortie 2 (Cliquez [Gauche/Droite] pour modifier les échelles et Ajouter/Retirer les marqueurs)", // 86
    "Zone d'affichage des données issues de l'équilibreur d'accu (Cliquez pour alterner la représentation)", // 87
    "Mémoires des capacités chargées et/ou déchargées", // 88
    "Numérique/Graphique", // 89
    "[Automatique]", // 90
    "[Normal]", // 91
    "[Manuelle]", // 92
    "[Linéaire]", // 93
    "[ReFlex]", // 94
    "[CC-CV]", // 95
    "[Accu plein]", // 96
    "[Coupure]", // 97
    "[Delta-Peak]", // 98
    "Fin", // 99
    "Erreur", // 100
    "Déconnexion", // 101
    "Charge", // 102
    "Décharge", // 103
    "Accu non défini", // 104
    "Trop de données enregistrées !", // 105
    "Arrêt", // 106
    "Pause", // 107
    "Charge", // 108
    "Décharge", // 109
    "Charge->Décharge", // 110
    "Décharge->Charge", // 111
    "Batterie au Plomb", // 112
    "Batterie au Lithium", // 113
    "Zephyral (version inconnue %d)", // 114
    "Zephyral (V2)", // 115
    "Zephyral (V3)", // 116
    "Opération en cours sur la sortie 2", // 117
    "Importer les données enregistrées", // 118
    "Exporter (Enregistrer) les données", // 119
    "Zoomer (Extraire) sur les données sélectionnées (entre les marqueurs)", // 120
    "Effacer les données", // 121
    "Imprimer le graphique", // 122
    "Livret d'entretien", // 123
    "Toutes les secondes une nouvelle trame envoyée par le chargeur s'affiche ici !", // 124
    "Etat du port de communication série sélectionné", // 125
    "Date", // 126
    "Capacité Chargée", // 127
    "Capacité Déchargée", // 128
    "Résistance", // 129
    "Livret d'entretien", // 130
    "L", // 131
    "- aucun -", // 132
};
}
