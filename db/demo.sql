-- Demo factory (filled in by the demo-data work)
INSERT INTO oka_Contador (Id, CI, ArmMp, Artigos, DocSc, SerieSc, SectorMp, Moeda) VALUES (1, 5, 'MP', '99', 'SC', 1, 'PROD', 'EUR');
