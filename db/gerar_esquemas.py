# Generates the three dialect schemas from one table list (run by hand from the repository's root
# when tables change). Catalogos/bd.sql is a link to the SQLite one.
T = {
 'sqlite':    dict(money='NUMERIC(19,4)', date='DATE', ts='TIMESTAMP', text='TEXT', dbl='REAL', small='SMALLINT', int='INTEGER', v='VARCHAR'),
 'postgresql':dict(money='NUMERIC(19,4)', date='DATE', ts='TIMESTAMP', text='TEXT', dbl='DOUBLE PRECISION', small='SMALLINT', int='INTEGER', v='VARCHAR'),
 'sqlserver': dict(money='MONEY', date='DATE', ts='DATETIME', text='NVARCHAR(MAX)', dbl='FLOAT', small='SMALLINT', int='INT', v='NVARCHAR'),
}
tables = [
 ('oka_CabOrc', [('Fo','v20 NOT NULL'),('EstadoFo','small'),('SubEstado','int'),('DataActual','ts'),('Notas','text'),('Processo','v30'),
   ('TotalCustoProd','money DEFAULT 0'),('TotalCustoInd','money DEFAULT 0'),('CustoMat','money DEFAULT 0'),('TotalCustoOut','money DEFAULT 0')], 'Fo'),
 ('oka_LinFo_Ope', [('NoFo','v20 NOT NULL'),('NoLinha','int NOT NULL'),('Data','date'),('HoraInicio','money NOT NULL DEFAULT 0'),('HoraFim','money NOT NULL DEFAULT 0'),
   ('Total','money NOT NULL DEFAULT 0'),('Opera','int'),('Descritivo','v50'),('Maquina','v20'),('Func','v20'),('CustoHomem','money DEFAULT 0'),
   ('CustoMaquina','money DEFAULT 0'),('Estado','small')], 'NoFo, NoLinha'),
 ('oka_LinFo_Apr', [('NoFo','v20 NOT NULL'),('NoLinha','int NOT NULL'),('Artigo','v15'),('Nome','v50'),('QtdOr','money DEFAULT 0'),('Comp','money DEFAULT 0'),
   ('Unidade','v3'),('Fornecedor','v15'),('DocSaida','v8'),('PrUnit','money DEFAULT 0'),('VossoNum','v20'),('Factor','money DEFAULT 0'),
   ('Larg','money DEFAULT 0'),('Armazem','v6')], 'NoFo, NoLinha'),
 ('oka_Contador', [('Id','int NOT NULL'),('CI','money'),('ArmMp','v6'),('Artigos','v10'),('DocSc','v10'),('SerieSc','small'),('SectorMp','v20'),('Moeda','v5')], 'Id'),
 ('oka_Funcionarios', [('FuncId','v20 NOT NULL'),('FuncNome','v50'),('Senha','v128'),('Nivel','small DEFAULT 0'),('CustoHora','money DEFAULT 0')], 'FuncId'),
 ('oka_Operacoes', [('OperId','int NOT NULL'),('OperNome','v50')], 'OperId'),
 ('oka_Maquinas', [('MaqId','v20 NOT NULL'),('MaqNome','v50'),('CustoHora','money DEFAULT 0')], 'MaqId'),
 ('oka_Motivos', [('codigo','v10 NOT NULL'),('Motivo','v100')], 'codigo'),
 # The terminals' own table: one row per confirmed function (its token), written in the same
 # transaction as the function's rows, so that a function is never done twice.
 ('oka_RegistosTerminal', [('Token','v40 NOT NULL'),('Terminal','v40'),('Funcao','v10'),('DataHora','ts'),('Gravado','ts')], 'Token'),
 ('ARTIGOS', [('CODIGO','v15 NOT NULL'),('NOME','v100'),('GRUPO','v10'),('FAMILIA','v10'),('FACTEMB','dbl DEFAULT 1'),('ARTOUDES','small DEFAULT 0'),
   ('UNBASE','v10'),('Fornec','v15')], 'CODIGO'),
 ('FAMILIA', [('GRUPO','v10 NOT NULL'),('COD','v10 NOT NULL'),('DESCR','v50')], 'GRUPO, COD'),
 ('ARTARM', [('ARTIGO','v15 NOT NULL'),('ARMAZEM','v6 NOT NULL'),('EXISTENC','money NOT NULL DEFAULT 0')], 'ARTIGO, ARMAZEM'),
 ('STKDOC', [('TIPODOC','v10 NOT NULL'),('SERIE','small NOT NULL'),('ANO','small NOT NULL'),('NUMDOC','int NOT NULL'),('ARMAZEM','v6'),('SECTOR','v20'),
   ('DATA','date'),('MOEDA','v5'),('PROCESSO','v30'),('EMPRESA','v50'),('UTILIZADOR','v50'),('CRIADO','ts')], 'TIPODOC, SERIE, ANO, NUMDOC'),
 ('STKDOCLIN', [('TIPODOC','v10 NOT NULL'),('SERIE','small NOT NULL'),('ANO','small NOT NULL'),('NUMDOC','int NOT NULL'),('LINHA','int NOT NULL'),
   ('ARTIGO','v15 NOT NULL'),('ARMAZEM','v6'),('QUANT','money NOT NULL'),('PRECO','money NOT NULL DEFAULT 0')], 'TIPODOC, SERIE, ANO, NUMDOC, LINHA'),
]
indexes = [
 ('ix_linfo_ope_func_estado','oka_LinFo_Ope','Func, Estado'),
 ('ix_linfo_ope_func_aberta','oka_LinFo_Ope','Func, HoraFim, Total'),
 ('ix_linfo_ope_fo_opera','oka_LinFo_Ope','NoFo, Opera, HoraInicio, Total'),
 ('ix_caborc_estado','oka_CabOrc','EstadoFo, Fo'),
 # The open orders only: the order list stays as fast with any amount of closed history.
 ('ix_caborc_abertas','oka_CabOrc','Fo','EstadoFo <> 4'),
 ('ix_artigos_grupo','ARTIGOS','GRUPO, FAMILIA'),
]
import re
for d, m in T.items():
    out = ['-- Shop-floor database schema (%s). Generated from one table list; keep the three dialects alike.' % d, '']
    for name, cols, pk in tables:
        lines = []
        for c, t in cols:
            def rep(mt):
                w = mt.group(0)
                if w.startswith('v') and w[1:].isdigit():
                    return '%s(%s)' % (m['v'], w[1:])
                return m.get(w, w)
            t2 = re.sub(r'\b(v\d+|money|date|ts|text|dbl|small|int)\b', rep, t)
            lines.append('    %s %s' % (c, t2))
        lines.append('    CONSTRAINT pk_%s PRIMARY KEY (%s)' % (name.lower(), pk))
        out.append('CREATE TABLE %s (\n%s\n);\n' % (name, ',\n'.join(lines)))
    for ix in indexes:
        n, t, c = ix[:3]
        onde = ' WHERE %s' % ix[3] if len(ix) > 3 else ''
        out.append('CREATE INDEX %s ON %s (%s)%s;' % (n, t, c, onde))
    out.append('')
    open('db/%s/schema.sql' % d, 'w').write('\n'.join(out))
